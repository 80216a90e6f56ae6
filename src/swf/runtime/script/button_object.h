#pragma once

#include "swf/runtime/clip_handle.h"
#include "swf/runtime/script/object.h"

namespace velmora::swf {
class Clip;
struct DisplayObject;
}

namespace velmora::swf::script {

// The script side of a button placed with an instance name: its handlers (onRelease, ...),
// `enabled` and `useHandCursor` are the object's properties (Button.prototype gives the
// defaults); _x, _y, _alpha, _visible, _width, _height, _xscale, _yscale, _rotation, _name,
// _target and _parent are answered from the button on stage, the first four writable.
//
// It lives as long as the button stays on its clip's display list; a reference kept after that
// reads as undefined.
class ButtonObject final : public Object {
public:
    ButtonObject(Object* proto, Clip& owner, DisplayObject& button);

    // The button while it is still on stage, and the clip whose display list holds it.
    DisplayObject* button() const;
    Clip* owner() const { return button() ? owner_.get() : nullptr; }

    const char* className() const override { return "Button"; }
    bool getSpecial(Vm& vm, String* key, Value& out) override;
    bool setSpecial(Vm& vm, String* key, const Value& value) override;
    bool isDead() const override { return button() == nullptr; }

private:
    ClipHandle owner_;
    DisplayObject* const button_;
    const uint16_t depth_;
};

// The placement properties (_x, _y, _xscale, _yscale, _rotation, _alpha, _visible, _width,
// _height, _name) of an object on owner's display list that is not a clip (a button, a video),
// read as scripts see them; false for any other property index.
bool placedObjectProperty(Vm& vm, const Clip& owner, const DisplayObject& object, int index, Value& out);

}  // namespace velmora::swf::script
