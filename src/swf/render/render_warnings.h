#pragma once

#include "swf/format/diagnostics.h"

namespace velmora::swf {

// What the renderer skipped or repaired while drawing a hostile or damaged movie ("bitmap 12 is
// 60000x60000, larger than 16384x16384: not drawn"), reported from the render room through the
// engine's one diagnostics channel: each message once, the list bounded.
using RenderWarnings = Diagnostics;

}  // namespace velmora::swf
