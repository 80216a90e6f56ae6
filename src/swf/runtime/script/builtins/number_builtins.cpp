// Number: the constructor and conversion function, its constants, Number.prototype.
#include <cmath>
#include <limits>

#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

Object* allocateNumber(Vm& vm, Object* proto) { return vm.heap().make<BoxedValue>(proto, "Number"); }

// Number(v) converts; new Number(v) boxes the conversion.
Value numberConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value n = Value::number(args.empty() ? 0.0 : cx.toNumber(args[0]));
    if (!cx.constructing) return n;
    if (auto* boxed = dynamic_cast<BoxedValue*>(self.objectOrNull())) boxed->primitive = n;
    return self;
}

// toString(radix): radix 2 to 36, 10 when absent or out of that range. Called on anything but a
// number it answers undefined, as the player does rather than raising an error.
Value numberToStringMethod(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value n = primitiveOf(self, "Number");
    if (!n.isNumber()) return Value();
    const Value radixArg = arg(args, 0);
    int radix = 10;
    if (!radixArg.isUndefined()) {
        const double r = cx.toNumber(radixArg);
        if (r >= 2 && r <= 36) radix = static_cast<int>(r);
    }
    return cx.stringValue(numberToRadixString(n.asNumber(), radix));
}

Value numberValueOf(CallContext&, const Value& self, std::span<const Value>) {
    const Value n = primitiveOf(self, "Number");
    return n.isNumber() ? n : Value();
}

}  // namespace

void installNumber(Vm& vm) {
    Object* proto = vm.realm().numberPrototype;
    FunctionObject* ctor = defineConstructor(vm, "Number", numberConstruct, proto, allocateNumber, 1);
    vm.realm().numberConstructor = ctor;
    defineMethods(vm, proto, {{"toString", numberToStringMethod, 1}, {"valueOf", numberValueOf}});
    constexpr uint8_t kConstant = kDontEnum | kDontDelete | kReadOnly;
    defineValue(vm, ctor, "MAX_VALUE", Value::number(std::numeric_limits<double>::max()), kConstant);
    defineValue(vm, ctor, "MIN_VALUE", Value::number(std::numeric_limits<double>::denorm_min()), kConstant);
    defineValue(vm, ctor, "NaN", Value::number(std::numeric_limits<double>::quiet_NaN()), kConstant);
    defineValue(vm, ctor, "NEGATIVE_INFINITY", Value::number(-std::numeric_limits<double>::infinity()), kConstant);
    defineValue(vm, ctor, "POSITIVE_INFINITY", Value::number(std::numeric_limits<double>::infinity()), kConstant);
}

}  // namespace velmora::swf::script
