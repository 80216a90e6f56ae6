#include "swf/runtime/script/button_object.h"

#include <cmath>
#include <numbers>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

ButtonObject::ButtonObject(Object* proto, Clip& owner, DisplayObject& button)
    : Object(proto, ObjectKind::Host), owner_(owner.handle()), button_(&button), depth_(button.depth) {}

DisplayObject* ButtonObject::button() const {
    Clip* owner = owner_.get();
    if (!owner) return nullptr;
    const auto it = owner->displayList().find(depth_);
    return it != owner->displayList().end() && it->second.get() == button_ ? button_ : nullptr;
}

bool ButtonObject::getSpecial(Vm& vm, String* key, Value& out) {
    DisplayObject* b = button();
    if (!b) return false;
    Clip& owner = *owner_.get();
    if (vm.sameKey(key, vm.names().parent)) {
        out = Value::object(vm.clipObject(owner));
        return true;
    }
    const auto index = clipPropertyIndex(key->view(), !vm.caseSensitive());
    if (!index) return false;
    if (static_cast<ClipProperty>(*index) == ClipProperty::FocusRect) {
        out = b->focusRect ? Value::boolean(*b->focusRect) : Value::null();
        return true;
    }
    if (static_cast<ClipProperty>(*index) == ClipProperty::Target) {
        const std::string parent = slashPath(owner);
        out = Value::string(vm.heap().string((parent == "/" ? "" : parent) + "/" + b->name));
        return true;
    }
    return placedObjectProperty(vm, owner, *b, *index, out);
}

bool placedObjectProperty(Vm& vm, const Clip& owner, const DisplayObject& object, int index, Value& out) {
    const Matrix& m = object.matrix;
    auto size = [&](bool width) {
        const auto box = objectBounds(object, owner.definitions());
        return box ? (width ? box->width() : box->height()) / kTwipsPerPixel : 0.0;
    };
    switch (static_cast<ClipProperty>(index)) {
    case ClipProperty::X: out = Value::number(m.tx / kTwipsPerPixel); return true;
    case ClipProperty::Y: out = Value::number(m.ty / kTwipsPerPixel); return true;
    case ClipProperty::XScale: out = Value::number(std::hypot(m.a, m.b) * 100.0); return true;
    case ClipProperty::YScale: out = Value::number(std::hypot(m.c, m.d) * 100.0); return true;
    case ClipProperty::Rotation: out = Value::number(std::atan2(m.b, m.a) * 180.0 / std::numbers::pi); return true;
    case ClipProperty::Alpha: out = Value::number(object.colorTransform.aMult * 100.0); return true;
    case ClipProperty::Visible: out = Value::boolean(object.visible); return true;
    case ClipProperty::Width: out = Value::number(size(true)); return true;
    case ClipProperty::Height: out = Value::number(size(false)); return true;
    case ClipProperty::Name: out = Value::string(vm.heap().string(object.name)); return true;
    default: return false;  // the rest belong to timelines
    }
}

bool ButtonObject::setSpecial(Vm& vm, String* key, const Value& value) {
    const auto index = clipPropertyIndex(key->view(), !vm.caseSensitive());
    if (!index) return false;
    if (!button()) return true;
    if (static_cast<ClipProperty>(*index) == ClipProperty::FocusRect) {
        // Its own choice of showing the focus rectangle; null gives it back to the movie's.
        const std::optional<bool> shown =
            value.isNull() || value.isUndefined() ? std::nullopt : std::optional<bool>(vm.toBoolean(value));
        if (DisplayObject* b = button()) {
            b->focusRect = shown;
            owner_.get()->movie().noteChange();
        }
        return true;
    }
    // The conversion may run a script (valueOf) that removes the button: look for it again after.
    const double number = vm.toNumber(value);
    DisplayObject* b = button();
    if (!b) return true;
    Clip* owner = owner_.get();
    if (!setPlacementProperty(*b, owner->definitions(), *index, number)) return true;  // read-only here
    owner->movie().noteChange();
    return true;
}

}  // namespace velmora::swf::script
