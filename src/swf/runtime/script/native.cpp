#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

FunctionObject* makeNative(Vm& vm, NativeFunction function, int length, Allocator allocator) {
    auto* fn = vm.heap().make<FunctionObject>(vm.realm().functionPrototype, function, allocator);
    fn->put(vm.names().length, vm.names().length, Value::number(length), kDontEnum | kDontDelete | kReadOnly);
    return fn;
}

FunctionObject* defineNative(Vm& vm, Object* target, std::string_view name, NativeFunction function, int length,
                             uint8_t flags) {
    FunctionObject* fn = makeNative(vm, function, length);
    target->put(vm.key(name), vm.name(name), Value::object(fn), flags);
    return fn;
}

void defineMethods(Vm& vm, Object* target, std::initializer_list<NativeMethod> methods) {
    for (const NativeMethod& m : methods) defineNative(vm, target, m.name, m.function, m.length, kDontEnum);
}

void defineValue(Vm& vm, Object* target, std::string_view name, const Value& value, uint8_t flags) {
    target->put(vm.key(name), vm.name(name), value, flags);
}

FunctionObject* defineConstructor(Vm& vm, std::string_view name, NativeFunction function, Object* prototype,
                                  Allocator allocator, int length) {
    FunctionObject* fn = makeNative(vm, function, length, allocator);
    fn->put(vm.names().prototype, vm.names().prototype, Value::object(prototype), kDontEnum | kDontDelete);
    prototype->put(vm.names().constructor, vm.names().constructor, Value::object(fn), kDontEnum);
    vm.global()->put(vm.key(name), vm.name(name), Value::object(fn), kDontEnum);
    return fn;
}

}  // namespace velmora::swf::script
