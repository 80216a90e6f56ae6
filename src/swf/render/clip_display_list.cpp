#include "swf/render/stage_renderer.h"
#include "swf/runtime/button_parts.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {

const DisplayList* clipDisplayList(const DisplayObject& object) {
    if (object.clip) return &object.clip->displayList();
    if (object.buttonParts) return &object.buttonParts->list();
    return nullptr;
}

}  // namespace velmora::swf
