// Object and Object.prototype.
#include "swf/runtime/script/builtins/core.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

Value objectConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value v = arg(args, 0);
    if (!v.isNullish()) {
        if (Object* o = cx.vm.toObject(v)) return Value::object(o);
    }
    if (cx.constructing) return self;
    return Value::object(cx.newObject());
}

Value objectToString(CallContext& cx, const Value& self, std::span<const Value>) {
    Object* o = self.objectOrNull();
    if (o && o->asFunction()) return Value::string(cx.heap().intern("[type Function]"));
    return Value::string(cx.heap().intern("[object Object]"));
}

Value objectValueOf(CallContext&, const Value& self, std::span<const Value>) { return self; }

Value hasOwnProperty(CallContext& cx, const Value& self, std::span<const Value> args) {
    Object* o = self.objectOrNull();
    if (!o) return Value::boolean(false);
    String* key = cx.vm.key(cx.toString(arg(args, 0)));
    if (cx.vm.ownProperty(o, key)) return Value::boolean(true);
    Value ignored;
    return Value::boolean(o->kind() != ObjectKind::Plain && o->getSpecial(cx.vm, key, ignored));
}

Value isPropertyEnumerable(CallContext& cx, const Value& self, std::span<const Value> args) {
    Object* o = self.objectOrNull();
    if (!o) return Value::boolean(false);
    const Property* p = cx.vm.ownProperty(o, cx.vm.key(cx.toString(arg(args, 0))));
    return Value::boolean(p && !(p->flags & kDontEnum));
}

Value isPrototypeOf(CallContext&, const Value& self, std::span<const Value> args) {
    Object* o = self.objectOrNull();
    Object* v = arg(args, 0).objectOrNull();
    if (!o || !v) return Value::boolean(false);
    int depth = 0;
    for (Object* p = v->proto(); p && depth < 256; p = p->proto(), ++depth) {
        if (p == o) return Value::boolean(true);
    }
    return Value::boolean(false);
}

// addProperty(name, getter, setter): false, changing nothing, without a name or a getter function;
// the setter may be null for a read-only property.
Value addProperty(CallContext& cx, const Value& self, std::span<const Value> args) {
    Object* o = self.objectOrNull();
    if (!o || args.size() < 2) return Value::boolean(false);
    String* name = cx.toString(args[0]);
    FunctionObject* getter = args[1].isObject() ? args[1].asObject()->asFunction() : nullptr;
    FunctionObject* setter = arg(args, 2).isObject() ? args[2].asObject()->asFunction() : nullptr;
    if (name->empty() || !getter) return Value::boolean(false);
    if (!arg(args, 2).isNull() && !setter) return Value::boolean(false);
    String* key = cx.vm.key(name);
    // The running code's rule of case decides whether a property is already there.
    Property* existing = cx.vm.ownProperty(o, key);
    Property& p = existing ? *existing : o->put(key, cx.heap().intern(name), Value());
    p.value = Value();
    p.getter = getter;
    p.setter = setter;
    return Value::boolean(true);
}

Value watch(CallContext& cx, const Value& self, std::span<const Value> args) {
    Object* o = self.objectOrNull();
    if (!o || args.size() < 2) return Value::boolean(false);
    if (!args[1].isObject() || !args[1].asObject()->asFunction()) return Value::boolean(false);
    String* key = cx.vm.key(cx.toString(args[0]));
    for (Watch& w : o->watches()) {
        if (cx.vm.sameKey(w.key, key)) {
            w.callback = args[1];
            w.userData = arg(args, 2);
            return Value::boolean(true);
        }
    }
    o->watches().push_back(Watch{key, args[1], arg(args, 2), false});
    return Value::boolean(true);
}

Value unwatch(CallContext& cx, const Value& self, std::span<const Value> args) {
    Object* o = self.objectOrNull();
    if (!o) return Value::boolean(false);
    String* key = cx.vm.key(cx.toString(arg(args, 0)));
    const size_t before = o->watches().size();
    std::erase_if(o->watches(), [&](const Watch& w) { return cx.vm.sameKey(w.key, key); });
    return Value::boolean(o->watches().size() != before);
}

// Object.registerClass(symbol, constructor): clips made from the library symbol exported under
// that name take the class (see clip_classes.h).
Value registerClass(CallContext& cx, const Value&, std::span<const Value> args) {
    if (args.size() < 2) return Value::boolean(false);
    cx.vm.registeredClasses()[cx.toStdString(args[0])] = args[1];
    return Value::boolean(true);
}

}  // namespace

void installObjectBuiltins(Vm& vm) {
    Realm& r = vm.realm();
    FunctionObject* ctor = defineConstructor(vm, "Object", objectConstruct, r.objectPrototype, nullptr, 1);
    r.objectConstructor = ctor;
    defineMethods(vm, ctor, {{"registerClass", registerClass, 2}});
    defineMethods(vm, r.objectPrototype,
                  {{"toString", objectToString},
                   {"toLocaleString", objectToString},
                   {"valueOf", objectValueOf},
                   {"hasOwnProperty", hasOwnProperty, 1},
                   {"isPropertyEnumerable", isPropertyEnumerable, 1},
                   {"isPrototypeOf", isPrototypeOf, 1},
                   {"addProperty", addProperty, 3},
                   {"watch", watch, 3},
                   {"unwatch", unwatch, 1}});
}

}  // namespace velmora::swf::script
