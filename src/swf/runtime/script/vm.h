#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "swf/format/action_bytes.h"
#include "swf/runtime/script/function.h"
#include "swf/runtime/script/heap.h"
#include "swf/runtime/script/object.h"

namespace velmora::swf {
class Clip;
class MovieInstance;
struct DisplayObject;
}  // namespace velmora::swf

namespace velmora::swf::script {

class ButtonObject;
class ClipObject;
class TextFieldObject;
struct Frame;

// A value thrown by a script (Throw, or a built-in's throwError) on its way to a Try. Natives let
// it pass; the Vm catches it at the Try or at the top of the script, where it is reported as an
// uncaught exception.
struct ScriptException {
    Value value;
};

// The prototypes and constructors every movie's scripts share. The core makes every prototype
// (plain objects whose __proto__ is Object.prototype; Function.prototype and Object.prototype
// themselves) before any built-in is installed; the installers add methods and constructors.
struct Realm {
    Object* objectPrototype = nullptr;
    Object* functionPrototype = nullptr;
    Object* arrayPrototype = nullptr;
    Object* stringPrototype = nullptr;
    Object* numberPrototype = nullptr;
    Object* booleanPrototype = nullptr;
    Object* errorPrototype = nullptr;
    Object* datePrototype = nullptr;
    Object* movieClipPrototype = nullptr;
    // Constructors the core needs to reach (new Error for throwError; boxing of primitives).
    FunctionObject* objectConstructor = nullptr;
    FunctionObject* errorConstructor = nullptr;
    FunctionObject* stringConstructor = nullptr;
    FunctionObject* numberConstructor = nullptr;
    FunctionObject* booleanConstructor = nullptr;
};

// Which primitive a conversion prefers when it asks an object: Number calls valueOf first, String
// toString first, None as Number except for Date (which the Date installer tells by className).
enum class Hint { None, Number, String };

// Bounds on what one movie's scripts may do; reaching one ends the script in progress with a
// diagnostic, never the movie.
struct ScriptLimits {
    // Time one run of scripts (a frame's scripts, one handler, one timer) may take: the movie's
    // ScriptLimits tag, 15 s when absent. Measured on the real clock, checked every few thousand
    // actions, so honest loops of millions of iterations finish.
    double timeoutSeconds = 15.0;
    // Nested function calls (script and native) in one run.
    int maxCallDepth = 256;
    // Bytes of all strings and objects of the movie.
    size_t maxHeapBytes = size_t{512} << 20;
    // Length of one string in bytes, and elements of one array.
    size_t maxStringBytes = size_t{16} << 20;
    size_t maxArrayLength = size_t{1} << 24;
    // Values on one function's stack.
    size_t maxStackSize = 65'536;
    // Actions one run may take; 0 counts none (the time-out alone bounds a run).
    uint64_t maxActions = 0;
};

// Keys the engine reads often, made once (as Vm::key makes them). Compare a key with them through
// Vm::sameKey: code before SWF 7 may write them in any case.
struct Names {
    String* length = nullptr;
    String* prototype = nullptr;
    String* proto = nullptr;  // __proto__
    String* constructor = nullptr;
    String* superConstructor = nullptr;  // __constructor__
    String* toString = nullptr;
    String* valueOf = nullptr;
    String* callee = nullptr;
    String* caller = nullptr;
    String* message = nullptr;
    String* name = nullptr;
    String* thisName = nullptr;
    String* arguments = nullptr;
    String* superName = nullptr;
    String* root = nullptr;
    String* parent = nullptr;
    String* global = nullptr;
    String* empty = nullptr;
};

// How a script run ended, for the runtime's bookkeeping (the diagnostics say why).
enum class RunOutcome { Finished, Threw, Failed, LimitReached };

// The ActionScript 1/2 engine of one MovieInstance: heap, _global, prototypes, the dispatch loop,
// timers. Created by the MovieInstance, destroyed with it (it outlives every script run).
//
// Built-ins use the conversion, member and call functions below; the runtime uses the run
// functions. Nothing here touches Qt, rendering or sound: clips are reached through the runtime's
// Clip, the rest through host objects.
class Vm {
public:
    Vm(MovieInstance& movie, int swfVersion, ScriptLimits limits);
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    Heap& heap() { return heap_; }
    // The rules of the code running now: the version of the movie that code came from (a movie a
    // script loaded keeps its own), the chosen movie's between scripts.
    int version() const { return runningVersion_; }
    bool caseSensitive() const { return runningVersion_ >= 7; }
    Realm& realm() { return realm_; }
    const Names& names() const { return names_; }
    Object* global() { return global_; }
    MovieInstance& movie() { return movie_; }
    const ScriptLimits& limits() const { return limits_; }

    // --- names ---
    // The key for a name: the interned name as written, with its lowercase twin. Keys keep their
    // case whatever the movie: a lesson's movies share objects, and each looks names up by its own
    // version's rule (ownProperty, sameKey).
    String* key(std::string_view name);
    // Inline for the names scripts use over and over.
    String* key(String* name) { return name->interned() ? name : keyOf(name); }
    // object's own property for key as the running code names it: exactly from SWF 7 on, whatever
    // the case of its letters before.
    Property* ownProperty(Object* object, String* key) {
        return runningVersion_ >= 7 ? object->findOwn(key) : object->findOwnIgnoringCase(key);
    }
    // Whether two keys name the same thing for the running code (see ownProperty).
    bool sameKey(const String* a, const String* b) const {
        return a == b || (runningVersion_ < 7 && a->foldedTwin() && a->foldedTwin() == b->foldedTwin());
    }
    // An interned name kept as written (for..in output, function names).
    String* name(std::string_view text) { return heap_.intern(text); }

    // --- conversions (may run a script's valueOf / toString) ---
    Value toPrimitive(const Value& v, Hint hint = Hint::None);
    double toNumber(const Value& v);
    String* toString(const Value& v);
    bool toBoolean(const Value& v) const;
    // The object for a value: objects as they are, primitives boxed (new String(...)), null for
    // undefined and null.
    Object* toObject(const Value& v);
    // typeof's answer.
    const char* typeOf(const Value& v) const;
    // The language's == and ===.
    bool looseEquals(const Value& a, const Value& b);
    static bool strictEquals(const Value& a, const Value& b);

    // --- objects ---
    Object* newObject();
    Object* newObject(Object* proto);
    ArrayObject* newArray();
    // Reads object[key] with the language's rules: special (host) properties, own properties,
    // then the prototype chain; getters are called with object as this. Strings answer length and
    // String.prototype; numbers and booleans their prototypes. undefined when missing.
    Value getMember(const Value& object, String* key);
    // Writes object[key]: host properties, setters along the chain, watches, ReadOnly. Writes to
    // primitives are ignored.
    // name: the name as the script wrote it (for..in reports it), when it differs from key.
    void setMember(const Value& object, String* key, const Value& value, String* name = nullptr);
    // Whether fn inherits from ctor.prototype along its __proto__ chain (instanceof, without
    // interfaces).
    bool instanceOf(const Value& object, const Value& constructor);
    // Reads object[key] as getMember does; returns whether it was found anywhere (own, special or
    // inherited). lookupWithHolder also tells on which object of the chain, and calls getters with
    // self as this.
    bool lookup(const Value& object, String* key, Value& out);
    // lookup for callers outside any script (the clock and input asking for a handler, listeners
    // being looked up): a getter that throws or reaches a limit answers "not found" instead of
    // escaping into the host.
    bool lookupQuietly(const Value& object, String* key, Value& out);
    bool lookupWithHolder(const Value& object, String* key, Value& out, Object*& holder, const Value& self);
    // Whether object has key, own, special or inherited.
    bool hasProperty(Object* object, String* key);
    // delete object[key]: false when there is no such own property or it is DontDelete.
    bool deleteMember(const Value& object, String* key);
    // The names for..in visits on object: newest own properties first, then the prototypes'
    // (each name once), DontEnum ones left out.
    std::vector<Value> enumerate(const Value& object);
    // Extends: subclass.prototype becomes a new object inheriting from superclass.prototype.
    void extend(const Value& subclass, const Value& superclass);
    // ImplementsOp: constructor's instances are also instances of these interfaces.
    void setInterfaces(const Value& constructor, std::span<const Value> interfaces);
    // `super` inside a method of self found on holder (undefined without a holder).
    Value superOf(const Value& self, Object* holder);
    // A script function defined in scope (see FunctionObject), with its prototype object.
    FunctionObject* newScriptFunction(std::shared_ptr<const ScriptCode> code, Scope* scope,
                                      std::shared_ptr<const ConstantPool> pool, Object* home);
    // The language's < between a and b (the Less2 action): true, false, or undefined when either
    // is NaN. leftFirst: which operand is converted first (Greater converts its right one first).
    Value lessThan(const Value& a, const Value& b, bool leftFirst);
    // a + b as a new string; raises LimitExceeded past the string limit.
    String* concat(std::string_view a, std::string_view b);
    // --- calls ---
    // Calls function with this = self. A non-function callee does nothing and returns undefined.
    // Raises ScriptException when the callee throws (natives let it pass).
    Value call(const Value& function, const Value& self, std::span<const Value> args);
    // self[key](args...), found along self's prototype chain, with `super` above the object that
    // holds it (a handler inherited from a class calls its superclass's, not itself again).
    // Undefined when there is no such function.
    Value callMethod(const Value& self, String* key, std::span<const Value> args);
    // `new constructor(args...)`.
    Value construct(const Value& constructor, std::span<const Value> args);

    // --- errors and reports ---
    [[noreturn]] void throwValue(const Value& value);
    // Throws new Error(message).
    [[noreturn]] void throwError(std::string_view message);
    // Reports "script: unsupported NAME" once per movie.
    void unsupported(std::string_view name);
    // A line to the movie's diagnostics (once per distinct text is the caller's business).
    void diagnostic(std::string text);
    // trace() output.
    void trace(const std::string& text);
    // The reference player's own debug lines ("Warning: ..."), when the host wants them.
    void warning(const std::string& text);

    // --- the runtime's entry points; each is one "run": limits are counted from here ---
    // Runs a block (frame script, DoInitAction, button or clip-event handler) on clip's timeline.
    RunOutcome runBlock(const ActionBytes& code, Clip& clip);
    // Calls clip[name] (onEnterFrame, onRelease...) with clip as this, if it is a function.
    // Returns false when there is none.
    bool callHandler(Clip& clip, std::string_view name);
    // Calls a function value at the top level (timers, listeners), catching what it throws.
    // holder: the object of self's prototype chain the function was found on, which its `super`
    // starts above (self when not given).
    RunOutcome callTopLevel(const Value& function, const Value& self, std::span<const Value> args,
                            Object* holder = nullptr);
    // The script object of a clip (made on first use, lives as long as the clip; a reference
    // outlives it and then follows its target path).
    ClipObject* clipObject(Clip& clip);
    // The script object of a button on owner's display list (made on first use, with
    // Button.prototype; lives while the button is on stage). With make false: nullptr while
    // no script has reached the button.
    ButtonObject* buttonObject(Clip& owner, DisplayObject& button, bool make = true);
    // The script object of a text field on owner's display list (made on first use, with
    // TextField.prototype; lives while the field is on stage). With make false: nullptr while no
    // script has reached the field.
    TextFieldObject* textFieldObject(Clip& owner, DisplayObject& field, bool make = true);
    // Fires the timers due by the movie clock time `nowMs` (setInterval / setTimeout).
    void runTimers(double nowMs);
    // Drops every timer (the movie is replaced or unloaded).
    void clearTimers();
    // Whether an interval or a timeout is waiting to fire.
    bool hasTimers() const { return !timers_.empty(); }
    // Classes scripts registered for library symbols (Object.registerClass), by symbol name.
    std::map<std::string, Value>& registeredClasses() { return registeredClasses_; }
    // A safe point between scripts: collects when the heap asks for it.
    void safePoint();

    // --- the display list, for the actions and the MovieClip methods ---
    // GetURL and GetURL2: a lesson player opens no browser and runs no commands; fscommand is
    // reported ("quit" ends the run: the probe stops there). With GetURL2's load-variables flag
    // (loadVariables, loadVariablesNum) the file beside the movie is read into the target clip
    // (window: a path from `base` with the target flag, else "_levelN") at the next tick.
    void openUrl(const std::string& url, const std::string& window, uint8_t flags = 0, Clip* base = nullptr);
    // Property `index` of a clip (GetProperty): undefined for no clip or an unknown index.
    Value clipPropertyByIndex(Clip* clip, int index);
    void setClipPropertyByIndex(Clip* clip, int index, const Value& value);
    void cloneSprite(Clip* source, const std::string& name, double depth);
    void removeSprite(Clip* clip);
    // box: left, top, right, bottom in pixels, or null for no constraint.
    void startDrag(Clip* clip, bool lockCenter, const double* box);
    void endDrag();
    // Where trace() and warnings go; unset: trace lines go to the diagnostics with "trace: ".
    std::function<void(const std::string&)> traceSink;
    std::function<void(const std::string&)> warningSink;

private:
    friend class Interpreter;
    friend class ClipObject;

    String* keyOf(String* name);

    void traceRoots(Tracer& tracer);
    void installCore();
    // Runs body as one run of scripts: an uncaught exception, a limit or a malformed block ends
    // it with a report, and the engine's bookkeeping is restored.
    template <typename Body>
    RunOutcome guarded(Body&& body);

public:
    // Engine state the interpreter and the core built-ins share; not for the library.
    struct Timer {
        int id = 0;
        Value function;  // the function, or the object whose method is named
        Value self;
        String* method = nullptr;
        std::vector<Value> args;
        double intervalMs = 0;
        double dueMs = 0;
        bool repeat = true;
    };
    std::vector<Timer> timers_;
    int nextTimerId_ = 1;
    double clockMs_ = 0;
    std::vector<Frame*> frames_;       // running code, innermost last
    std::vector<std::vector<Value>*> tempRoots_;  // calls' callees and arguments off the stack
    int callDepth_ = 0;
    double runStartedSeconds_ = 0;  // steady-clock seconds when the current run began
    uint64_t runSteps_ = 0;
    bool inRun_ = false;
    int runningVersion_ = 0;  // see version(); each running frame sets its own

private:
    MovieInstance& movie_;
    ScriptLimits limits_;
    Heap heap_;
    Realm realm_;
    Names names_;
    Object* global_ = nullptr;
    std::set<std::string, std::less<>> reported_;
    std::vector<ClipObject*> clipObjects_;
    std::vector<ButtonObject*> buttonObjects_;
    std::vector<TextFieldObject*> textFieldObjects_;
    std::vector<std::pair<Object*, std::vector<Object*>>> interfaces_;  // prototype -> interfaces
    std::map<std::string, Value> registeredClasses_;
    int rootTracer_ = 0;
};

}  // namespace velmora::swf::script
