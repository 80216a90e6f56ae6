// Functions: definition (closures over the scope chain and the constant pool in force), calls
// with their registers and preloaded values, methods, constructors and super.
#include <algorithm>
#include <cmath>

#include "swf/runtime/action_reader.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/interpreter.h"
#include "swf/runtime/script/native.h"
#include "swf/runtime/script/super_object.h"

namespace velmora::swf::script {

namespace {

// DefineFunction2's flags.
enum : uint16_t {
    kPreloadThis = 0x0001,
    kPreloadArguments = 0x0004,
    kSuppressArguments = 0x0008,
    kPreloadSuper = 0x0010,
    kPreloadRoot = 0x0040,
    kPreloadParent = 0x0080,
    kPreloadGlobal = 0x0100,
};

// Keeps values that left every stack (a call's callee, this and arguments) alive while it runs.
class TempRoots {
public:
    TempRoots(Vm& vm, std::vector<Value>& values) : vm_(vm) { vm_.tempRoots_.push_back(&values); }
    ~TempRoots() { vm_.tempRoots_.pop_back(); }
    TempRoots(const TempRoots&) = delete;
    TempRoots& operator=(const TempRoots&) = delete;

private:
    Vm& vm_;
};

class DepthGuard {
public:
    explicit DepthGuard(Vm& vm) : vm_(vm) {
        if (++vm_.callDepth_ > vm_.limits().maxCallDepth) {
            --vm_.callDepth_;
            throw LimitExceeded{"calls nested too deeply (more than " + std::to_string(vm_.limits().maxCallDepth) +
                                "): the script was stopped"};
        }
    }
    ~DepthGuard() { --vm_.callDepth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    Vm& vm_;
};

}  // namespace

std::vector<Value> Interpreter::popArgs(Frame& f) {
    const double count = vm_.toNumber(pop(f));
    std::vector<Value> args;
    if (!std::isfinite(count) || count <= 0) return args;
    const size_t n = static_cast<size_t>(std::min(count, static_cast<double>(f.stack.size())));
    args.reserve(n);
    for (size_t i = 0; i < n; ++i) args.push_back(pop(f));
    return args;
}

size_t Interpreter::defineFunction(Frame& f, bool v2, std::span<const uint8_t> payload, size_t next) {
    PayloadReader in(payload);
    auto code = std::make_shared<ScriptCode>();
    Heap& heap = vm_.heap();
    code->name = heap.intern(in.string());
    const uint16_t count = in.u16();
    code->v2 = v2;
    if (v2) {
        code->registerCount = in.u8();
        code->flags = in.u16();
    }
    for (uint16_t i = 0; i < count; ++i) {
        if (v2) code->paramRegisters.push_back(in.u8());
        code->params.push_back(heap.intern(in.string()));
    }
    const size_t size = in.u16();
    if (next + size > f.end) throw ActionError("a function's body runs past its script");
    code->code = f.owner;
    code->begin = next;
    code->end = next + size;
    code->version = f.version;
    String* name = code->name;
    FunctionObject* fn = vm_.newScriptFunction(std::move(code), f.scope, f.pool, f.timeline);
    if (name->empty()) {
        push(f, Value::object(fn));
    } else {
        defineLocal(f, name, Value::object(fn), false);
    }
    return next + size;
}

Value Interpreter::callFunction(FunctionObject& fn, const Value& self, std::span<const Value> args, Object* holder,
                                bool constructing) {
    DepthGuard depth(vm_);
    if (fn.isNative()) {
        CallContext cx(vm_, &fn, constructing);
        return fn.native()(cx, self, args);
    }
    const ScriptCode& code = *fn.code();
    Heap& heap = vm_.heap();
    Frame f;
    f.owner = code.code;
    f.code = std::span<const uint8_t>(*code.code);
    f.pc = code.begin;
    f.end = code.end;
    f.thisValue = self;
    f.superHolder = holder;
    f.callee = &fn;
    f.version = code.version;
    f.timeline = dynamic_cast<ClipObject*>(fn.home());
    f.pool = fn.pool();
    f.activation = heap.make<Object>(nullptr);
    f.scope = heap.make<Scope>(fn.scope(), f.activation);
    f.registers.resize(code.v2 ? std::max<size_t>(code.registerCount, 1) : 4);

    auto makeArguments = [&] {
        ArrayObject* a = vm_.newArray();
        a->elements().assign(args.begin(), args.end());
        a->put(vm_.names().callee, vm_.names().callee, Value::object(&fn), kDontEnum);
        heap.account(a);
        return Value::object(a);
    };
    if (code.v2) {
        size_t reg = 1;
        auto preload = [&](uint16_t flag, auto value) {
            if ((code.flags & flag) && reg < f.registers.size()) f.registers[reg++] = value();
        };
        preload(kPreloadThis, [&] { return self; });
        preload(kPreloadArguments, makeArguments);
        preload(kPreloadSuper, [&] { return vm_.superOf(self, holder); });
        preload(kPreloadRoot, [&] { return Value::object(vm_.clipObject(vm_.movie().root())); });
        preload(kPreloadParent, [&] {
            Clip* home = f.timeline ? f.timeline->clip(vm_) : nullptr;
            return home && home->parent() ? Value::object(vm_.clipObject(*home->parent())) : Value();
        });
        preload(kPreloadGlobal, [&] { return Value::object(vm_.global()); });
        if (!(code.flags & (kPreloadArguments | kSuppressArguments))) {
            f.activation->put(vm_.names().arguments, vm_.names().arguments, makeArguments());
        }
    } else {
        f.activation->put(vm_.names().arguments, vm_.names().arguments, makeArguments());
    }
    for (size_t i = 0; i < code.params.size(); ++i) {
        const Value arg = i < args.size() ? args[i] : Value();
        const uint8_t r = i < code.paramRegisters.size() ? code.paramRegisters[i] : 0;
        if (code.v2 && r != 0) {
            if (r < f.registers.size()) f.registers[r] = arg;
        } else {
            f.activation->put(vm_.key(code.params[i]), code.params[i], arg);
        }
    }
    return run(f);
}

Value Interpreter::construct(const Value& constructor, std::span<const Value> args) {
    FunctionObject* fn = constructor.isObject() ? constructor.asObject()->asFunction() : nullptr;
    if (!fn) return Value();
    std::vector<Value> keep{constructor};
    TempRoots roots(vm_, keep);
    const Value protoValue = vm_.getMember(constructor, vm_.names().prototype);
    Object* proto = protoValue.isObject() ? protoValue.asObject() : vm_.realm().objectPrototype;
    Object* object = fn->allocator() ? fn->allocator()(vm_, proto) : vm_.newObject(proto);
    keep.push_back(Value::object(object));
    object->put(vm_.names().superConstructor, vm_.names().superConstructor, constructor, kDontEnum);
    object->put(vm_.names().constructor, vm_.names().constructor, constructor, kDontEnum);
    const Value result = callFunction(*fn, Value::object(object), args, proto, true);
    if (fn->isNative() && result.isObject()) return result;
    return Value::object(object);
}

void Interpreter::callFunctionAction(Frame& f) {
    String* name = vm_.toString(pop(f));
    std::vector<Value> args = popArgs(f);
    Value callee;
    if (!specialName(f, name, callee)) callee = getVariable(f, name);
    std::vector<Value> keep{callee};
    TempRoots rootArgs(vm_, args);
    TempRoots rootKeep(vm_, keep);
    FunctionObject* fn = callee.isObject() ? callee.asObject()->asFunction() : nullptr;
    if (!fn) {
        push(f, Value());
        return;
    }
    // A function called on its own runs with the calling timeline as `this`.
    ClipObject* self = f.target ? f.target : f.timeline;
    push(f, callFunction(*fn, self ? Value::object(self) : Value(), args, nullptr));
}

void Interpreter::callMethodAction(Frame& f) {
    const Value nameValue = pop(f);
    const Value object = pop(f);
    std::vector<Value> args = popArgs(f);
    std::vector<Value> keep{nameValue, object};
    TempRoots rootArgs(vm_, args);
    TempRoots rootKeep(vm_, keep);
    auto* super = object.isObject() ? dynamic_cast<SuperObject*>(object.asObject()) : nullptr;
    const bool named = !nameValue.isNullish() && !(nameValue.isString() && nameValue.asString()->empty());
    if (!named) {
        if (super) {
            // super(...): the superclass's constructor on this object.
            Object* holder = super->holder();
            Value ctor;
            if (holder) vm_.lookup(Value::object(holder), vm_.names().superConstructor, ctor);
            FunctionObject* fn = ctor.isObject() ? ctor.asObject()->asFunction() : nullptr;
            push(f, fn ? callFunction(*fn, super->self(), args, super->above()) : Value());
            return;
        }
        FunctionObject* fn = object.isObject() ? object.asObject()->asFunction() : nullptr;
        push(f, fn ? callFunction(*fn, Value(), args, nullptr) : Value());
        return;
    }
    String* key = vm_.key(vm_.toString(nameValue));
    Value method;
    Object* holder = nullptr;
    Value self = object;
    if (super) {
        self = super->self();
        if (Object* above = super->above()) vm_.lookupWithHolder(Value::object(above), key, method, holder, self);
    } else if (!object.isNullish()) {
        vm_.lookupWithHolder(object, key, method, holder, object);
    }
    keep.push_back(method);
    FunctionObject* fn = method.isObject() ? method.asObject()->asFunction() : nullptr;
    if (!fn) {
        if (Object* o = object.objectOrNull(); o && dynamic_cast<ClipObject*>(o) && !o->isDead()) {
            vm_.unsupported(std::string("MovieClip.") + vm_.toString(nameValue)->text());
        }
        push(f, Value());
        return;
    }
    push(f, callFunction(*fn, self, args, holder));
}

void Interpreter::newObjectAction(Frame& f) {
    String* name = vm_.toString(pop(f));
    std::vector<Value> args = popArgs(f);
    TempRoots roots(vm_, args);
    const Value ctor = getVariable(f, name);
    if (!ctor.isObject() || !ctor.asObject()->asFunction()) {
        push(f, Value());
        return;
    }
    push(f, construct(ctor, args));
}

void Interpreter::newMethodAction(Frame& f) {
    const Value nameValue = pop(f);
    const Value object = pop(f);
    std::vector<Value> args = popArgs(f);
    std::vector<Value> keep{object};
    TempRoots rootArgs(vm_, args);
    TempRoots rootKeep(vm_, keep);
    Value ctor = object;
    if (!nameValue.isNullish() && !(nameValue.isString() && nameValue.asString()->empty())) {
        ctor = vm_.getMember(object, vm_.key(vm_.toString(nameValue)));
    }
    push(f, construct(ctor, args));
}

}  // namespace velmora::swf::script
