// Boolean: the constructor and conversion function, Boolean.prototype.
#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

Object* allocateBoolean(Vm& vm, Object* proto) { return vm.heap().make<BoxedValue>(proto, "Boolean"); }

Value booleanConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value b = Value::boolean(!args.empty() && cx.toBoolean(args[0]));
    if (!cx.constructing) return b;
    if (auto* boxed = dynamic_cast<BoxedValue*>(self.objectOrNull())) boxed->primitive = b;
    return self;
}

Value booleanToString(CallContext& cx, const Value& self, std::span<const Value>) {
    const Value b = primitiveOf(self, "Boolean");
    if (!b.isBoolean()) return Value();
    return Value::string(cx.heap().intern(b.asBoolean() ? "true" : "false"));
}

Value booleanValueOf(CallContext&, const Value& self, std::span<const Value>) {
    const Value b = primitiveOf(self, "Boolean");
    return b.isBoolean() ? b : Value();
}

}  // namespace

void installBoolean(Vm& vm) {
    Object* proto = vm.realm().booleanPrototype;
    vm.realm().booleanConstructor = defineConstructor(vm, "Boolean", booleanConstruct, proto, allocateBoolean, 1);
    defineMethods(vm, proto, {{"toString", booleanToString}, {"valueOf", booleanValueOf}});
}

}  // namespace velmora::swf::script
