#pragma once

#include <optional>

#include "swf/format/filter.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

// The renderer's filter for a flash.filters object, with its settings bounded to what can be
// drawn; nullopt for anything else (including filters the renderer cannot draw).
std::optional<Filter> filterFromScript(CallContext& cx, const Value& filter);
// A new flash.filters object with the filter's settings; undefined when a script has taken the
// class away.
Value filterToScript(CallContext& cx, const Filter& filter);

}  // namespace velmora::swf::script
