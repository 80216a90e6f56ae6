#pragma once

#include <string>

#include "swf/runtime/script/value.h"

namespace velmora::swf {
class Clip;
}

namespace velmora::swf::script {

class Vm;

// Classes that scripts tie to library symbols with Object.registerClass(linkage, constructor):
// a clip made from such a symbol (attached, duplicated or placed by the timeline) inherits from
// constructor.prototype, and the constructor runs with the clip as `this`.

// The constructor registered for the library symbol exported as `linkage`, or undefined.
Value registeredClass(Vm& vm, const std::string& linkage);
// The constructor registered for any linkage name of the symbol clip was made from, or undefined.
Value registeredClassOf(Vm& vm, const Clip& clip);

// Sets up a clip a script has just made: it takes constructor's prototype (when constructor is a
// function), then init's enumerable properties are copied onto it (through the clip's own
// properties, so _x and the like apply), then the constructor runs with the clip as `this`, all
// before the clip's first frame scripts. What the constructor throws passes to the caller.
// Returns the clip's object (which the scripts run may have taken off the stage meanwhile).
Value initialiseClip(Vm& vm, Clip& clip, const Value& constructor, const Value& init);

// A clip the timeline has just placed: takes its registered class's prototype at once, and its
// constructor is queued to run before the clip's first frame scripts. Nothing without a class.
void adoptRegisteredClass(Clip& clip);
// Runs the registered constructor of clip as one run of its own (from the script queue).
void runClipConstructor(Vm& vm, Clip& clip);

}  // namespace velmora::swf::script
