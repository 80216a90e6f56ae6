#pragma once

#include <cstdint>

#include "swf/runtime/clip_handle.h"

namespace velmora::swf {

class Clip;
struct DisplayObject;

// A reference to an object on a clip's display list that is not a clip itself (a button), which
// notices when the object has left: the clip holding it is gone, or its depth holds something
// else. The object is only compared while it may be gone, never read.
class PlacedHandle {
public:
    PlacedHandle() = default;
    PlacedHandle(Clip& owner, DisplayObject& object);

    // The object while it is still on its owner's display list, else nullptr.
    DisplayObject* get() const;
    // The clip whose display list holds the object, while it does; nullptr otherwise.
    Clip* owner() const { return get() ? owner_.get() : nullptr; }

private:
    ClipHandle owner_;
    DisplayObject* object_ = nullptr;
    int32_t depth_ = 0;
};

// The button (or clip in the role of one) that Enter or Space holds pressed, and the key code
// of the key holding it, for the key's release.
struct KeyHeldButton {
    PlacedHandle button;
    uint16_t code = 0;
};

}  // namespace velmora::swf
