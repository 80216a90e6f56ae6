#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "swf/format/action_bytes.h"
#include "swf/runtime/script/object.h"

namespace velmora::swf::script {

class CallContext;

// A built-in: self is `this` as the caller gave it (any value, a primitive for String methods
// called on a string); args are the arguments, which stay alive for the call. Returns the result.
// A native raises a script exception with CallContext::throwValue / throwError.
using NativeFunction = Value (*)(CallContext& cx, const Value& self, std::span<const Value> args);

// Makes the object `new` builds for a constructor whose instances are not plain objects (Array:
// an ArrayObject; Date, Error...). proto is the prototype the new object gets.
using Allocator = Object* (*)(Vm& vm, Object* proto);

// One link of a scope chain: an object whose properties are variables (a function's activation,
// a `with` object, a timeline, _global).
class Scope final : public Cell {
public:
    Scope(Scope* parent, Object* object) : parent_(parent), object_(object) {}
    Scope* parent() const { return parent_; }
    Object* object() const { return object_; }
    void trace(Tracer& tracer) override;

private:
    Scope* const parent_;
    Object* const object_;
};

// The strings of a ConstantPool action, decoded to UTF-8 and interned once. A function keeps the
// pool in force where it was defined: its body reads that one.
struct ConstantPool {
    std::vector<String*> strings;
};

// The byte code of a function a script defined (DefineFunction, DefineFunction2).
struct ScriptCode {
    ActionBytes code;  // the block holding the body, kept alive
    size_t begin = 0;  // the body within *code
    size_t end = 0;
    String* name = nullptr;        // may be empty
    std::vector<String*> params;   // parameter names (interned)
    // DefineFunction2 only: the register each parameter goes to (0: a local variable instead), how
    // many registers the body uses, and its preload / suppress flags.
    bool v2 = false;
    std::vector<uint8_t> paramRegisters;
    uint8_t registerCount = 0;
    uint16_t flags = 0;
    // The version of the movie that defined it, whose rules the body follows wherever it is called.
    int version = 0;
};

// A function: a native (built-in) or a script function with its closure.
class FunctionObject final : public Object {
public:
    // A built-in.
    FunctionObject(Object* proto, NativeFunction native, Allocator allocator = nullptr)
        : Object(proto, ObjectKind::Function), native_(native), allocator_(allocator) {}
    // A script function. scope is the chain it was defined in; pool the constant pool in force
    // there (may be null: no pool); home the timeline (clip object) that defined it.
    FunctionObject(Object* proto, std::shared_ptr<const ScriptCode> code, Scope* scope,
                   std::shared_ptr<const ConstantPool> pool, Object* home)
        : Object(proto, ObjectKind::Function), code_(std::move(code)), scope_(scope), pool_(std::move(pool)), home_(home) {}

    bool isNative() const { return native_ != nullptr; }
    NativeFunction native() const { return native_; }
    Allocator allocator() const { return allocator_; }
    void setAllocator(Allocator allocator) { allocator_ = allocator; }
    const std::shared_ptr<const ScriptCode>& code() const { return code_; }
    Scope* scope() const { return scope_; }
    const std::shared_ptr<const ConstantPool>& pool() const { return pool_; }
    Object* home() const { return home_; }
    // A spare value a native may keep with its function (a bound object, a method name).
    Value data;

    const char* typeOf() const override { return "function"; }
    const char* className() const override { return "Function"; }
    FunctionObject* asFunction() override { return this; }
    void trace(Tracer& tracer) override;

private:
    NativeFunction native_ = nullptr;
    Allocator allocator_ = nullptr;
    std::shared_ptr<const ScriptCode> code_;
    Scope* scope_ = nullptr;
    std::shared_ptr<const ConstantPool> pool_;
    Object* home_ = nullptr;
};

}  // namespace velmora::swf::script
