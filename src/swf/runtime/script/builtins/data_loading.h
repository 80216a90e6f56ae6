#pragma once

namespace velmora::swf::script {

class Object;
class Vm;

// The methods XML and LoadVars share for files beside the movie, installed on their prototype:
// load(name) queues the file (its onData hears the text, or undefined when it cannot be had, at
// the movie's next tick), getBytesLoaded/getBytesTotal, an empty onLoad, addRequestHeader (kept
// for nothing), and send/sendAndLoad, refused with a diagnostic (nothing goes to the network;
// sendAndLoad's target hears onLoad(false)). className names the methods in the diagnostics.
void installDataLoading(Vm& vm, Object* prototype, const char* className);

}  // namespace velmora::swf::script
