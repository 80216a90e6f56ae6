#include "swf/runtime/script/clip_object.h"

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/movie_loads.h"
#include "swf/runtime/script/net_streams.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

ClipObject::ClipObject(Object* proto, Clip& clip) : Object(proto, ObjectKind::Clip), handle_(clip.handle()), path_(dotPath(clip)) {}

Clip* ClipObject::clip(Vm& vm) const {
    if (Clip* c = handle_.get()) return c;
    return resolveTarget(vm.movie().root(), path_);
}

ClipObject* ClipObject::current(Vm& vm) {
    if (handle_.get()) return this;
    Clip* c = resolveTarget(vm.movie().root(), path_);
    return c ? vm.clipObject(*c) : nullptr;
}

namespace {

const char* blendModeName(BlendMode mode) {
    static const char* const kNames[] = {"normal", "normal", "layer", "multiply", "screen", "lighten", "darken",
                                         "difference", "add", "subtract", "invert", "alpha", "erase", "overlay",
                                         "hardlight"};
    const auto i = static_cast<size_t>(mode);
    return i < std::size(kNames) ? kNames[i] : "normal";
}

bool sameName(Vm& vm, const std::string& a, std::string_view b) {
    if (vm.caseSensitive()) return a == b;
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

}  // namespace

bool ClipObject::getSpecial(Vm& vm, String* key, Value& out) {
    Clip* c = handle_.get();
    if (!c) return false;
    const std::string_view name = key->view();
    if (!name.empty() && name[0] == '_') {
        if (vm.sameKey(key, vm.names().parent)) {
            out = c->parent() ? Value::object(vm.clipObject(*c->parent())) : Value();
            return true;
        }
        if (vm.sameKey(key, vm.names().root)) {
            out = Value::object(vm.clipObject(scriptRoot(vm, *c)));
            return true;
        }
        if (const int level = levelNumber(name); level >= 0 && (!vm.caseSensitive() || name.substr(0, 6) == "_level")) {
            Clip* top = vm.movie().level(level);
            out = top ? Value::object(vm.clipObject(*top)) : Value();
            return true;
        }
        if (const auto index = clipPropertyIndex(name, !vm.caseSensitive())) {
            if (const auto value = clipProperty(vm, *c, *index)) {
                out = *value;
                return true;
            }
        }
    }
    if (sameName(vm, "blendMode", name) || sameName(vm, "cacheAsBitmap", name)) {
        const DisplayObject* self = c->displayObject();
        if (sameName(vm, "cacheAsBitmap", name)) {
            out = Value::boolean(self && self->cacheAsBitmap);
        } else {
            out = Value::string(vm.name(self ? blendModeName(self->blendMode) : "normal"));
        }
        return true;
    }
    // Child clips, buttons and text fields by instance name; the lowest depth wins among namesakes.
    for (auto& [depth, object] : c->displayList()) {
        if (object->name.empty() || !sameName(vm, object->name, name)) continue;
        if (object->clip) {
            out = Value::object(vm.clipObject(*object->clip));
            return true;
        }
        if (object->character && object->character->kind == CharacterKind::Button) {
            out = Value::object(vm.buttonObject(*c, *object));
            return true;
        }
        if (object->character && object->character->kind == CharacterKind::VideoStream) {
            out = Value::object(vm.movie().netStreams().videoObject(*c, *object));
            return true;
        }
        if (object->character && object->character->kind == CharacterKind::EditText) {
            out = Value::object(vm.textFieldObject(*c, *object));
            return true;
        }
    }
    return false;
}

bool ClipObject::setSpecial(Vm& vm, String* key, const Value& value) {
    if (!handle_.get()) return true;
    const std::string_view name = key->view();
    if (name.empty() || name[0] != '_') return false;
    const auto index = clipPropertyIndex(name, !vm.caseSensitive());
    if (!index) return false;
    // An object's valueOf may remove the very clip: converted first, the clip looked for after.
    const Value primitive = value.isObject() ? vm.toPrimitive(value) : value;
    if (Clip* c = handle_.get()) setClipProperty(vm, *c, *index, primitive);
    return true;
}

void ClipObject::specialNames(Vm& vm, std::vector<Value>& out) {
    Clip* c = handle_.get();
    if (!c) return;
    for (auto& [depth, object] : c->displayList()) {
        if (object->clip && !object->name.empty()) out.push_back(Value::string(vm.name(object->name)));
    }
}

}  // namespace velmora::swf::script
