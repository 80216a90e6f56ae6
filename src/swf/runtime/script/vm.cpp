// The engine's life: building the realm, the runs the runtime starts, reports, and the roots of
// the collector.
#include "swf/runtime/script/vm.h"

#include <chrono>

#include "swf/runtime/action_reader.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/display_object.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/core.h"
#include "swf/runtime/script/builtins/library.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/interpreter.h"
#include "swf/runtime/script/text_field_object.h"

namespace velmora::swf::script {

namespace {

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The version whose rules a block on clip's timeline follows: that of the movie it came from. The
// onClipEvent handlers of a clip that holds a loaded movie came with its placement, from the
// movie around it.
int blockVersion(const ActionBytes& code, Clip& clip) {
    if (clip.parent() && clip.holdsLoadedMovie()) {
        if (const DisplayObject* self = clip.displayObject()) {
            for (const ClipAction& handler : self->clipActions) {
                if (handler.actions == code) return clip.parent()->definitions().version;
            }
        }
    }
    return clip.definitions().version;
}

}  // namespace

Vm::Vm(MovieInstance& movie, int swfVersion, ScriptLimits limits)
    : runningVersion_(swfVersion), movie_(movie), limits_(limits), heap_(limits.maxHeapBytes) {
    rootTracer_ = heap_.addRootTracer([this](Tracer& t) { traceRoots(t); });
    Names& n = names_;
    n.length = key("length");
    n.prototype = key("prototype");
    n.proto = key("__proto__");
    n.constructor = key("constructor");
    n.superConstructor = key("__constructor__");
    n.toString = key("toString");
    n.valueOf = key("valueOf");
    n.callee = key("callee");
    n.caller = key("caller");
    n.message = key("message");
    n.name = key("name");
    n.thisName = key("this");
    n.arguments = key("arguments");
    n.superName = key("super");
    n.root = key("_root");
    n.parent = key("_parent");
    n.global = key("_global");
    n.empty = key("");

    Realm& r = realm_;
    r.objectPrototype = heap_.make<Object>(nullptr);
    r.functionPrototype = heap_.make<Object>(r.objectPrototype);
    for (Object** p : {&r.arrayPrototype, &r.stringPrototype, &r.numberPrototype, &r.booleanPrototype,
                       &r.errorPrototype, &r.datePrototype, &r.movieClipPrototype}) {
        *p = heap_.make<Object>(r.objectPrototype);
    }
    global_ = heap_.make<Object>(r.objectPrototype);
    installCore();
    installLibrary(*this);
}

Vm::~Vm() { heap_.removeRootTracer(rootTracer_); }

void Vm::installCore() {
    installObjectBuiltins(*this);
    installFunctionBuiltins(*this);
    installGlobalBuiltins(*this);
    installTimerBuiltins(*this);
    installBroadcaster(*this);
    installMovieClipBuiltins(*this);
}

String* Vm::key(std::string_view name) { return heap_.intern(name); }

String* Vm::keyOf(String* name) { return heap_.intern(name); }

Object* Vm::newObject() { return heap_.make<Object>(realm_.objectPrototype); }
Object* Vm::newObject(Object* proto) { return heap_.make<Object>(proto); }
ArrayObject* Vm::newArray() { return heap_.make<ArrayObject>(realm_.arrayPrototype); }

String* Vm::concat(std::string_view a, std::string_view b) {
    if (a.size() + b.size() > limits_.maxStringBytes) {
        throw LimitExceeded{"a text in a script grew too long (over " + std::to_string(limits_.maxStringBytes) + " bytes)"};
    }
    std::string joined;
    joined.reserve(a.size() + b.size());
    joined.append(a).append(b);
    return heap_.string(std::move(joined));
}

FunctionObject* Vm::newScriptFunction(std::shared_ptr<const ScriptCode> code, Scope* scope,
                                      std::shared_ptr<const ConstantPool> pool, Object* home) {
    auto* fn = heap_.make<FunctionObject>(realm_.functionPrototype, std::move(code), scope, std::move(pool), home);
    Object* proto = newObject();
    proto->put(names_.constructor, names_.constructor, Value::object(fn), kDontEnum);
    fn->put(names_.prototype, names_.prototype, Value::object(proto), kDontEnum);
    return fn;
}

Value Vm::call(const Value& function, const Value& self, std::span<const Value> args) {
    FunctionObject* fn = function.isObject() ? function.asObject()->asFunction() : nullptr;
    if (!fn) return Value();
    return Interpreter(*this).callFunction(*fn, self, args, self.isObject() ? self.asObject() : nullptr);
}

Value Vm::callMethod(const Value& self, String* key, std::span<const Value> args) {
    Value method;
    Object* holder = nullptr;
    if (!lookupWithHolder(self, key, method, holder, self)) return Value();
    FunctionObject* fn = method.isObject() ? method.asObject()->asFunction() : nullptr;
    if (!fn) return Value();
    std::vector<Value> keep{method};
    tempRoots_.push_back(&keep);
    struct Pop {
        std::vector<std::vector<Value>*>& roots;
        ~Pop() { roots.pop_back(); }
    } pop{tempRoots_};
    return Interpreter(*this).callFunction(*fn, self, args, holder ? holder : self.objectOrNull());
}

Value Vm::construct(const Value& constructor, std::span<const Value> args) {
    return Interpreter(*this).construct(constructor, args);
}

void Vm::throwValue(const Value& value) { throw ScriptException{value}; }

void Vm::throwError(std::string_view message) {
    Value text = Value::string(heap_.string(std::string(message)));
    if (realm_.errorConstructor) {
        const Value error = construct(Value::object(realm_.errorConstructor), std::span<const Value>(&text, 1));
        throw ScriptException{error};
    }
    throw ScriptException{text};
}

void Vm::unsupported(std::string_view name) {
    if (!reported_.insert(std::string(name)).second) return;
    diagnostic("script: unsupported " + std::string(name));
}

void Vm::diagnostic(std::string text) { movie_.addMessage(std::move(text)); }

void Vm::trace(const std::string& text) {
    if (traceSink) {
        traceSink(text);
    } else {
        movie_.addMessage("trace: " + text);
    }
}

void Vm::warning(const std::string& text) {
    if (warningSink) warningSink(text);
}

// --- runs ---

namespace {

// Counts one run: the time limit starts here; the outermost run resets the depth.
class RunScope {
public:
    explicit RunScope(Vm& vm) : vm_(vm), outer_(!vm.inRun_) {
        if (outer_) {
            vm_.inRun_ = true;
            vm_.runStartedSeconds_ = secondsNow();
            vm_.runSteps_ = 0;
            vm_.callDepth_ = 0;
        }
    }
    ~RunScope() {
        if (outer_) vm_.inRun_ = false;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    Vm& vm_;
    const bool outer_;
};

}  // namespace

template <typename Body>
RunOutcome Vm::guarded(Body&& body) {
    RunScope scope(*this);
    const size_t frames = frames_.size();
    const size_t temps = tempRoots_.size();
    const int depth = callDepth_;
    auto restore = [&] {
        frames_.resize(frames);
        tempRoots_.resize(temps);
        callDepth_ = depth;
    };
    try {
        body();
        return RunOutcome::Finished;
    } catch (const ScriptException& e) {
        restore();
        std::string text;
        try {
            text = toString(e.value)->text();
        } catch (...) {
            text = "[object]";
        }
        warning("Warning: Uncaught exception, " + text);
        return RunOutcome::Threw;
    } catch (const LimitExceeded& e) {
        restore();
        if (!e.what.empty()) diagnostic("script: " + e.what);
        // What the stopped script built is garbage now, if nothing else reaches it.
        if (frames_.empty()) heap_.collect();
        return RunOutcome::LimitReached;
    } catch (const ActionError& e) {
        restore();
        diagnostic(std::string("script error: ") + e.what());
        warning("Warning: Failed to parse corrupt data.");
        return RunOutcome::Failed;
    }
}

RunOutcome Vm::runBlock(const ActionBytes& code, Clip& clip) {
    if (!code || code->empty()) return RunOutcome::Finished;
    return guarded([&] {
        Frame f;
        f.owner = code;
        f.code = std::span<const uint8_t>(*code);
        f.end = f.code.size();
        f.timeline = clipObject(clip);
        f.version = blockVersion(code, clip);
        f.scope = heap_.make<Scope>(heap_.make<Scope>(nullptr, global_), f.timeline);
        f.registers.resize(4);
        Interpreter(*this).run(f);
    });
}

bool Vm::callHandler(Clip& clip, std::string_view name) {
    const Value self = Value::object(clipObject(clip));
    Value handler;
    Object* holder = nullptr;
    if (!lookupWithHolder(self, key(name), handler, holder, self)) return false;
    if (!handler.isObject() || !handler.asObject()->asFunction()) return false;
    callTopLevel(handler, self, {}, holder);
    return true;
}

RunOutcome Vm::callTopLevel(const Value& function, const Value& self, std::span<const Value> args, Object* holder) {
    std::vector<Value> keep{function, self};
    keep.insert(keep.end(), args.begin(), args.end());
    tempRoots_.push_back(&keep);
    const RunOutcome outcome = guarded([&] {
        FunctionObject* fn = holder && keep[0].isObject() ? keep[0].asObject()->asFunction() : nullptr;
        if (fn) {
            Interpreter(*this).callFunction(*fn, keep[1], std::span<const Value>(keep).subspan(2), holder);
        } else {
            call(keep[0], keep[1], std::span<const Value>(keep).subspan(2));
        }
    });
    tempRoots_.pop_back();
    return outcome;
}

ClipObject* Vm::clipObject(Clip& clip) {
    if (clip.scriptObject()) return clip.scriptObject();
    auto* object = heap_.make<ClipObject>(realm_.movieClipPrototype, clip);
    clip.setScriptObject(object);
    clipObjects_.push_back(object);
    return object;
}

ButtonObject* Vm::buttonObject(Clip& owner, DisplayObject& button, bool make) {
    for (ButtonObject* b : buttonObjects_) {
        if (b->button() == &button) return b;
    }
    if (!make) return nullptr;
    const Value ctor = getMember(Value::object(global_), key("Button"));
    Object* proto = ctor.isObject() ? getMember(ctor, names_.prototype).objectOrNull() : nullptr;
    auto* object = heap_.make<ButtonObject>(proto ? proto : realm_.objectPrototype, owner, button);
    buttonObjects_.push_back(object);
    return object;
}

TextFieldObject* Vm::textFieldObject(Clip& owner, DisplayObject& field, bool make) {
    for (TextFieldObject* t : textFieldObjects_) {
        if (t->field() == &field) return t;
    }
    if (!make) return nullptr;
    const Value ctor = getMember(Value::object(global_), key("TextField"));
    Object* proto = ctor.isObject() ? getMember(ctor, names_.prototype).objectOrNull() : nullptr;
    auto* object = heap_.make<TextFieldObject>(proto ? proto : realm_.objectPrototype, owner, field);
    textFieldObjects_.push_back(object);
    return object;
}

void Vm::safePoint() {
    if (heap_.wantsCollection()) heap_.collect();
}

void Vm::traceRoots(Tracer& t) {
    t.mark(global_);
    for (Object* p : {realm_.objectPrototype, realm_.functionPrototype, realm_.arrayPrototype, realm_.stringPrototype,
                      realm_.numberPrototype, realm_.booleanPrototype, realm_.errorPrototype, realm_.datePrototype,
                      realm_.movieClipPrototype}) {
        t.mark(p);
    }
    for (FunctionObject* c : {realm_.objectConstructor, realm_.errorConstructor, realm_.stringConstructor,
                              realm_.numberConstructor, realm_.booleanConstructor}) {
        t.mark(c);
    }
    for (String* s : {names_.length, names_.prototype, names_.proto, names_.constructor, names_.superConstructor,
                      names_.toString, names_.valueOf, names_.callee, names_.caller, names_.message, names_.name,
                      names_.thisName, names_.arguments, names_.superName, names_.root, names_.parent, names_.global,
                      names_.empty}) {
        t.mark(s);
    }
    // Clips on stage keep their objects (and so their variables); a removed clip's object lives
    // only as long as a script refers to it.
    std::erase_if(clipObjects_, [](ClipObject* c) { return c->ownClip() == nullptr; });
    for (ClipObject* c : clipObjects_) t.mark(c);
    std::erase_if(buttonObjects_, [](ButtonObject* b) { return b->isDead(); });
    for (ButtonObject* b : buttonObjects_) t.mark(b);
    std::erase_if(textFieldObjects_, [](TextFieldObject* f) { return f->isDead(); });
    for (TextFieldObject* f : textFieldObjects_) t.mark(f);
    for (Frame* f : frames_) {
        for (const Value& v : f->stack) t.mark(v);
        for (const Value& v : f->registers) t.mark(v);
        for (const Value& v : f->recent) t.mark(v);
        t.mark(f->scope);
        t.mark(f->activation);
        t.mark(f->thisValue);
        t.mark(f->superHolder);
        t.mark(f->callee);
        t.mark(f->timeline);
        t.mark(f->target);
        t.mark(f->result);
        t.mark(f->lastVariable);
        if (f->pool) {
            for (String* s : f->pool->strings) t.mark(s);
        }
        for (const WithBlock& w : f->withs) t.mark(w.saved);
        for (const TryBlock& b : f->tries) {
            t.mark(b.pending);
            t.mark(b.catchName);
        }
    }
    for (const std::vector<Value>* values : tempRoots_) {
        for (const Value& v : *values) t.mark(v);
    }
    for (const Timer& timer : timers_) {
        t.mark(timer.function);
        t.mark(timer.self);
        t.mark(timer.method);
        for (const Value& v : timer.args) t.mark(v);
    }
    for (const auto& [name, value] : registeredClasses_) t.mark(value);
    for (const auto& [proto, list] : interfaces_) {
        t.mark(proto);
        for (Object* i : list) t.mark(i);
    }
}

}  // namespace velmora::swf::script
