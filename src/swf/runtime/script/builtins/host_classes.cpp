#include "swf/runtime/script/builtins/host_classes.h"

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/interpreter.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

Object* packageObject(Vm& vm, std::string_view path) {
    Object* at = vm.global();
    while (!path.empty()) {
        const size_t dot = path.find('.');
        const std::string_view part = path.substr(0, dot);
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
        String* key = vm.key(part);
        Property* p = vm.ownProperty(at, key);
        Object* next = p && !p->isAccessor() ? p->value.objectOrNull() : nullptr;
        if (!next) {
            next = vm.newObject();
            at->put(key, vm.name(part), Value::object(next), kDontEnum);
        }
        at = next;
    }
    return at;
}

FunctionObject* defineClass(Vm& vm, Object* pkg, std::string_view name, NativeFunction function, Object* prototype,
                            Allocator allocator, int length) {
    FunctionObject* fn = makeNative(vm, function, length, allocator);
    fn->put(vm.names().prototype, vm.names().prototype, Value::object(prototype), kDontEnum | kDontDelete);
    prototype->put(vm.names().constructor, vm.names().constructor, Value::object(fn), kDontEnum);
    (pkg ? pkg : vm.global())->put(vm.key(name), vm.name(name), Value::object(fn), kDontEnum);
    return fn;
}

void defineAccessor(Vm& vm, Object* target, std::string_view name, NativeFunction getter, NativeFunction setter) {
    Property& p = target->put(vm.key(name), vm.name(name), Value(), kDontEnum);
    p.getter = makeNative(vm, getter);
    p.setter = setter ? makeNative(vm, setter, 1) : nullptr;
}

Value constructNamed(CallContext& cx, std::string_view path, std::span<const Value> args) {
    Value at = Value::object(cx.vm.global());
    while (!path.empty() && at.isObject()) {
        const size_t dot = path.find('.');
        at = cx.get(at, path.substr(0, dot));
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    }
    Object* fn = at.objectOrNull();
    if (!fn || !fn->asFunction()) return Value();
    return cx.vm.construct(at, args);
}

Clip* clipOfValue(CallContext& cx, const Value& value) {
    if (Object* o = value.objectOrNull()) {
        return o->kind() == ObjectKind::Clip ? static_cast<ClipObject*>(o)->clip(cx.vm) : nullptr;
    }
    if (value.isNullish()) return nullptr;
    Clip* from = &cx.vm.movie().root();
    for (auto it = cx.vm.frames_.rbegin(); it != cx.vm.frames_.rend(); ++it) {
        if (ClipObject* timeline = (*it)->timeline) {
            if (Clip* c = timeline->clip(cx.vm)) from = c;
            break;
        }
    }
    return resolveTarget(*from, cx.toStdString(value));
}

Clip* clipOfSelf(CallContext& cx, const Value& self) {
    Object* o = self.objectOrNull();
    if (!o || o->kind() != ObjectKind::Clip) return nullptr;
    return static_cast<ClipObject*>(o)->clip(cx.vm);
}

void installHostObjects(Vm& vm) {
    installColor(vm);
    installGeometry(vm);
    installMatrix(vm);
    installColorTransform(vm);
    installTransform(vm);
    installFilters(vm);
    installClipEffects(vm);
    installStage(vm);
    installContextMenu(vm);
}

DisplayObject* placedObject(Clip* clip) { return clip ? clip->displayObject() : nullptr; }

double numberField(CallContext& cx, const Value& object, std::string_view name, double fallback) {
    if (!object.isObject()) return fallback;
    const Value v = cx.get(object, name);
    if (v.isUndefined()) return fallback;
    return cx.toNumber(v);
}

void setNumber(CallContext& cx, const Value& object, std::string_view name, double value) {
    cx.set(object, name, Value::number(value));
}

}  // namespace velmora::swf::script
