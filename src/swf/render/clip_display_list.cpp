#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {

const DisplayList* clipDisplayList(const DisplayObject& object) {
    return object.clip ? &object.clip->displayList() : nullptr;
}

}  // namespace velmora::swf
