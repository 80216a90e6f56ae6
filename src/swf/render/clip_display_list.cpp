#include "swf/render/stage_renderer.h"

namespace velmora::swf {

// Sprite instances reach the renderer through the runtime's clips; until a clip is attached the
// sprite shows nothing.
const DisplayList* clipDisplayList(const DisplayObject&) { return nullptr; }

}  // namespace velmora::swf
