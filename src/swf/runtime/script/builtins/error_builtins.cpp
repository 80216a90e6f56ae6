// Error: the constructor and Error.prototype (name, message, toString).
#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

// new Error(message) and Error(message) alike make an error; without a message it keeps the
// prototype's.
Value errorConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    // The message first: its conversion may run script, while a fresh error is not yet rooted.
    String* message = !args.empty() && !args[0].isUndefined() ? cx.toString(args[0]) : nullptr;
    Object* error = cx.constructing ? self.objectOrNull() : nullptr;
    if (!error) error = cx.vm.newObject(cx.realm().errorPrototype);
    if (message) error->put(cx.vm.names().message, cx.vm.names().message, Value::string(message));
    return Value::object(error);
}

// The player's Error.toString gives the message alone.
Value errorToString(CallContext& cx, const Value& self, std::span<const Value>) {
    return Value::string(cx.toString(cx.vm.getMember(self, cx.vm.names().message)));
}

}  // namespace

void installError(Vm& vm) {
    Object* proto = vm.realm().errorPrototype;
    vm.realm().errorConstructor = defineConstructor(vm, "Error", errorConstruct, proto, nullptr, 1);
    defineValue(vm, proto, "name", Value::string(vm.heap().intern("Error")));
    defineValue(vm, proto, "message", Value::string(vm.heap().intern("Error")));
    defineMethods(vm, proto, {{"toString", errorToString}});
}

}  // namespace velmora::swf::script
