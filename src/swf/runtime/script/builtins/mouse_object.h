#pragma once

#include <span>
#include <string_view>

#include "swf/runtime/script/value.h"

namespace velmora::swf::script {

class Vm;

// Tells the listeners of the Mouse object (Mouse.addListener) of a pointer event: each listener's
// method `event` (onMouseDown, onMouseUp, onMouseMove, onMouseWheel) is called with args, as a run
// of its own, so that one that throws or runs away does not keep the others from hearing it.
// Listeners added or removed by a listener take effect from the next event.
void notifyMouseListeners(Vm& vm, std::string_view event, std::span<const Value> args = {});

}  // namespace velmora::swf::script
