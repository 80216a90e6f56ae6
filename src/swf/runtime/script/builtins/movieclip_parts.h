#pragma once

namespace velmora::swf::script {

class Vm;

// MovieClip.prototype is installed in parts, one file per idea; installMovieClipBuiltins calls
// each.

// attachMovie, createEmptyMovieClip, duplicateMovieClip, removeMovieClip, swapDepths, getDepth,
// getNextHighestDepth, getInstanceAtDepth.
void installMovieClipCreation(Vm& vm);
// getBounds, getRect, globalToLocal, localToGlobal, hitTest, setMask, getSWFVersion,
// attachAudio.
void installMovieClipGeometry(Vm& vm);

}  // namespace velmora::swf::script
