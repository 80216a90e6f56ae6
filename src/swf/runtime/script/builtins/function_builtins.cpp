// Function.prototype: call and apply.
#include "swf/runtime/script/builtins/core.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

Value functionCall(CallContext& cx, const Value& self, std::span<const Value> args) {
    return cx.call(self, arg(args, 0), args.empty() ? args : args.subspan(1));
}

// apply(thisObject, argumentsArray): the array's elements become the arguments; anything else
// as the second argument passes none.
Value functionApply(CallContext& cx, const Value& self, std::span<const Value> args) {
    std::vector<Value> list;
    if (ArrayObject* a = CallContext::thisArray(arg(args, 1))) list = a->elements();
    Rooted keep(cx.heap(), arg(args, 1));
    return cx.call(self, arg(args, 0), list);
}

Value functionConstruct(CallContext& cx, const Value&, std::span<const Value>) {
    // Functions are made by the compiler, not from text at run time.
    cx.unsupported("Function constructor");
    return Value();
}

}  // namespace

void installFunctionBuiltins(Vm& vm) {
    Realm& r = vm.realm();
    defineConstructor(vm, "Function", functionConstruct, r.functionPrototype);
    defineMethods(vm, r.functionPrototype, {{"call", functionCall, 1}, {"apply", functionApply, 2}});
}

}  // namespace velmora::swf::script
