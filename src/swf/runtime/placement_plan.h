#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "swf/format/character.h"
#include "swf/format/filter.h"
#include "swf/format/geometry.h"
#include "swf/format/movie.h"
#include "swf/format/timeline.h"
#include "swf/runtime/display_object.h"

namespace velmora::swf {

class Clip;

// What the timeline says should stand at one depth after a run of frames: the character and its
// placement. Working on this plan first, and touching the real display list once at the end,
// means that a goto across many frames builds no objects that would be thrown away a frame later.
struct Placement {
    std::shared_ptr<const Character> character;
    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;
    std::string name;
    uint16_t clipDepth = 0;
    BlendMode blendMode = BlendMode::Normal;
    std::vector<Filter> filters;
    bool visible = true;
    bool cacheAsBitmap = false;
    std::vector<ClipAction> clipActions;
    // Placed by the frames just applied (onto an empty depth, or replacing the character), rather
    // than carried over from the display list.
    bool fresh = false;
};

using PlacementPlan = std::map<int32_t, Placement>;

// The plan that leaves list as it is.
PlacementPlan planFromDisplayList(const DisplayList& list);

// Applies one frame's PlaceObject and RemoveObject tags to plan, in file order. A placement of a
// character the dictionary lacks (a skipped or imported definition) leaves the depth empty; a
// placement onto a depth that is already taken is ignored, as the format's players do.
void applyFrameToPlan(PlacementPlan& plan, const Frame& frame, const Movie& movie);

// How reconcile decides which existing objects live on.
enum class Continuity {
    // Stepping or going forward: an object lives on unless the frames removed or replaced it.
    Forward,
    // Going back (the list was planned from the first frame): an object lives on when the same
    // character still stands at its depth.
    Rebuild,
};

// Makes clip's display list match plan: removes what the plan lacks (silencing their streams),
// keeps what continuity allows (with the plan's placement), builds the rest in ascending depth.
// A new sprite gets its own clip, which shows its first frame at once and queues its scripts;
// past the nesting or object limits the sprite stands empty and the movie notes why.
void reconcileDisplayList(Clip& clip, PlacementPlan plan, Continuity continuity);

// Tells the sound system that every stream in clip's subtree (the sprites its buttons show
// included) falls silent.
void silenceStreams(const Clip& clip);

// Removes every object of list, telling the sound system about each clip's stream that stops.
void clearDisplayList(Clip& clip);

// Places a copy of source (its character, placement and clip events; a fresh timeline at its
// first frame) named `name` at display-list `depth` of source's parent, replacing what stood
// there (as duplicateMovieClip does). The copy is the script's: gotos leave it alone. Returns the
// new clip, or nullptr, changing nothing, for the root or past the limits.
Clip* duplicateClip(Clip& source, const std::string& name, int32_t depth);
// Removes a clip at a script's depths (0..kMaxScriptDepth in script terms), as removeMovieClip
// does; clips at the timeline's depths stay. Returns whether it was removed.
bool removeScriptClip(Clip& clip);

// Builds an object for p at depth of clip's display list, which must be free, within the
// display-object and nesting limits (reporting and returning nullptr past them). A sprite gets
// its clip, which shows its first frame and queues its scripts and load handlers; with
// timelineClass, a class a script registered for the sprite is given to it (a placement by the
// timeline; scripts that make clips give the class themselves).
DisplayObject* buildObject(Clip& clip, int32_t depth, Placement&& p, bool timelineClass = true);
// Removes the object at it from clip's display list, silencing its streams.
void removeObject(Clip& clip, DisplayList::iterator it);

}  // namespace velmora::swf
