#pragma once

#include "swf/runtime/clip_handle.h"
#include "swf/runtime/script/object.h"
#include "swf/runtime/text_field_state.h"

namespace velmora::swf {
struct DisplayObject;
}

namespace velmora::swf::script {

// The script side of a text field on stage (a DefineEditText placed by a timeline, or one made by
// createTextField). Its properties (text, border, scroll, _x, ...) are accessors of
// TextField.prototype that read and change the field through field(); handlers (onChanged,
// onScroller, onSetFocus, onKillFocus) and anything else a script stores are the object's own.
//
// It lives as long as the field stays on stage; a reference kept after that reads as a plain
// object whose accessors answer undefined.
class TextFieldObject final : public Object {
public:
    TextFieldObject(Object* proto, Clip& owner, DisplayObject& field);

    // The field while it is still on stage, and the clip whose display list holds it.
    DisplayObject* field() const { return field_.get(); }
    Clip* owner() const { return field() ? owner_.get() : nullptr; }

    const char* className() const override { return "TextField"; }
    bool isDead() const override { return field() == nullptr; }

private:
    ClipHandle owner_;
    TextFieldHandle field_;
};

}  // namespace velmora::swf::script
