#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "swf/runtime/script/function.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

// What a built-in gets besides self and its arguments: the engine, the function being called and
// whether it is called by `new`. Everything a built-in needs goes through here (or cx.vm):
//
//   Value arrayPush(CallContext& cx, const Value& self, std::span<const Value> args) {
//       ArrayObject* a = cx.thisArray(self);            // null when self is not an array
//       if (!a) return Value::undefined();
//       for (const Value& v : args) a->elements().push_back(v);
//       cx.heap().account(a);                           // may raise LimitExceeded: fine
//       return Value::number(double(a->elements().size()));
//   }
//
// Rules for natives:
//  - Convert with cx.toNumber / toString / toBoolean / toPrimitive: they call a script's valueOf
//    and toString as the language wants, and may therefore run script.
//  - Create with cx.newObject / newArray / string. A fresh cell is safe in a C++ local until the
//    native calls back into script (cx.call, an object conversion); keep it in a Rooted across
//    such calls (heap.h). self and args are rooted by the caller.
//  - Call back into script (sort's compare function, a listener) with cx.call; a script exception
//    passes through the native as a C++ exception: let it (do not catch ScriptException).
//  - Raise a script exception with cx.throwValue(value) or cx.throwError("message") (an Error).
//  - An argument combination or feature not built: cx.unsupported("Array.prototype.foo") reports
//    "script: unsupported Array.prototype.foo" once per movie, then return undefined.
class CallContext {
public:
    CallContext(Vm& vm, FunctionObject* callee, bool constructing)
        : vm(vm), callee(callee), constructing(constructing) {}

    Vm& vm;
    FunctionObject* const callee;
    // Called by `new`: self is the fresh object (made by the constructor's allocator).
    const bool constructing;

    Heap& heap() { return vm.heap(); }
    int version() const { return vm.version(); }
    Realm& realm() { return vm.realm(); }

    double toNumber(const Value& v) { return vm.toNumber(v); }
    String* toString(const Value& v) { return vm.toString(v); }
    std::string toStdString(const Value& v) { return vm.toString(v)->text(); }
    bool toBoolean(const Value& v) { return vm.toBoolean(v); }
    Value toPrimitive(const Value& v, Hint hint = Hint::None) { return vm.toPrimitive(v, hint); }
    int32_t toInt32(const Value& v) { return script::toInt32(vm.toNumber(v)); }

    Object* newObject() { return vm.newObject(); }
    ArrayObject* newArray() { return vm.newArray(); }
    String* string(std::string text) { return vm.heap().string(std::move(text)); }
    Value stringValue(std::string text) { return Value::string(string(std::move(text))); }

    Value get(const Value& object, std::string_view name) { return vm.getMember(object, vm.key(name)); }
    void set(const Value& object, std::string_view name, const Value& value) {
        vm.setMember(object, vm.key(name), value, vm.name(name));
    }
    Value call(const Value& function, const Value& self, std::span<const Value> args) {
        return vm.call(function, self, args);
    }

    [[noreturn]] void throwValue(const Value& value) { vm.throwValue(value); }
    [[noreturn]] void throwError(std::string_view message) { vm.throwError(message); }
    void unsupported(std::string_view name) { vm.unsupported(name); }

    // self as an array / a function object, or nullptr.
    static ArrayObject* thisArray(const Value& self) {
        Object* o = self.objectOrNull();
        return o ? o->asArray() : nullptr;
    }
};

// The argument at i, undefined past the end.
inline Value arg(std::span<const Value> args, size_t i) { return i < args.size() ? args[i] : Value::undefined(); }

// One entry of a table of methods to install.
struct NativeMethod {
    const char* name;
    NativeFunction function;
    int length = 0;  // the function's declared parameter count (its "length")
};

// A new native function object (its __proto__ is Function.prototype).
FunctionObject* makeNative(Vm& vm, NativeFunction function, int length = 0, Allocator allocator = nullptr);
// Installs one native on target under name, with flags (built-ins are hidden from for..in).
FunctionObject* defineNative(Vm& vm, Object* target, std::string_view name, NativeFunction function, int length = 0,
                             uint8_t flags = kDontEnum);
// Installs a table of natives on target, each DontEnum.
void defineMethods(Vm& vm, Object* target, std::initializer_list<NativeMethod> methods);
// Defines a value property (a constant such as Math.PI: pass kDontEnum | kDontDelete | kReadOnly).
void defineValue(Vm& vm, Object* target, std::string_view name, const Value& value, uint8_t flags = kDontEnum);
// A global constructor: _global[name] = a native function whose `prototype` is prototype (and
// prototype.constructor the function, DontEnum). allocator makes the objects `new` builds (null:
// plain objects). Returns the function.
FunctionObject* defineConstructor(Vm& vm, std::string_view name, NativeFunction function, Object* prototype,
                                  Allocator allocator = nullptr, int length = 0);

}  // namespace velmora::swf::script
