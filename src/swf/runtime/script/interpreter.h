#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "swf/format/action_bytes.h"
#include "swf/runtime/script/function.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

class ClipObject;

// A Try action in force: where its three parts lie and which part runs.
struct TryBlock {
    size_t tryStart = 0;
    size_t tryEnd = 0;
    size_t catchEnd = 0;
    size_t finallyEnd = 0;  // also the end of the whole statement
    bool hasCatch = false;
    bool hasFinally = false;
    bool catchInRegister = false;
    // The finally part claimed more than the script holds: the script's end ends it, and what it
    // would rethrow is dropped, as in the reference player.
    bool finallyCut = false;
    uint8_t catchRegister = 0;
    String* catchName = nullptr;
    enum class Part { Try, Catch, Finally } part = Part::Try;
    // What the finally part must do once it ends: go on, rethrow, or return.
    enum class Then { Continue, Rethrow, Return } then = Then::Continue;
    Value pending;          // the exception to rethrow / the value to return
    size_t stackDepth = 0;  // the stack as the Try found it
    size_t withDepth = 0;
};

// A `with` in force: the scope it pushed ends at `end`.
struct WithBlock {
    size_t start = 0;
    size_t end = 0;
    Scope* saved = nullptr;
};

// One piece of running code: a top-level block or a function body. Everything in it is a root of
// the collector while it runs (Vm::frames_).
struct Frame {
    ActionBytes owner;               // keeps the bytes alive
    std::span<const uint8_t> code;   // the whole block
    size_t pc = 0;
    size_t end = 0;                  // where this code ends within the block
    std::vector<Value> stack;
    std::vector<Value> registers;
    Scope* scope = nullptr;          // innermost first: with objects, activation, timeline, _global
    Object* activation = nullptr;    // function locals; null at top level
    Value thisValue;
    Object* superHolder = nullptr;   // the object on the prototype chain the method came from
    FunctionObject* callee = nullptr;
    ClipObject* timeline = nullptr;  // the timeline the code belongs to
    ClipObject* target = nullptr;    // SetTarget's clip; the timeline when none
    bool targetValid = true;
    std::shared_ptr<const ConstantPool> pool;
    std::vector<WithBlock> withs;
    std::vector<TryBlock> tries;
    Value result;
    bool returning = false;
    // The version of the movie the code came from: its rules apply while it runs.
    int version = 0;
    // The last values popped: an action may still hold them while a conversion runs script (a
    // valueOf), so the collector keeps them.
    Value recent[8];
    uint8_t recentAt = 0;
    // The name the value on top of the stack was read from, for the player's debug lines.
    String* lastVariable = nullptr;
    size_t lastVariableDepth = SIZE_MAX;
};

// Runs frames. Stateless apart from the Vm: one is made per call.
class Interpreter {
public:
    explicit Interpreter(Vm& vm) : vm_(vm), maxStack_(vm.limits().maxStackSize) {}

    // Runs frame to its end (or a Return); returns the result. Raises ScriptException for an
    // uncaught throw, LimitExceeded and ActionError.
    Value run(Frame& frame);

    // Calls a function with the language's rules. holder: where a method was found (for super).
    Value callFunction(FunctionObject& fn, const Value& self, std::span<const Value> args, Object* holder,
                       bool constructing = false);
    Value construct(const Value& constructor, std::span<const Value> args);

private:
    // dispatch.cpp
    void step(Frame& f, uint8_t code, std::span<const uint8_t> payload, size_t next);
    // The commonest actions on their commonest operands, without step()'s heavy entry; false
    // leaves the action to step().
    bool quickStep(Frame& f, uint8_t code, std::span<const uint8_t> payload, size_t next);
    // Inline: every action pushes or pops, most of them several times.
    [[gnu::always_inline]] void push(Frame& f, const Value& v) {
        std::vector<Value>& stack = f.stack;
        if (stack.size() == stack.capacity() || stack.size() >= maxStack_) [[unlikely]] {
            pushGrowing(f, v);
            return;
        }
        stack.push_back(v);
    }
    // An empty stack reads as undefined, as the player does.
    Value pop(Frame& f) {
        if (f.stack.empty()) [[unlikely]] return {};
        const Value v = f.stack.back();
        f.stack.pop_back();
        f.recent[f.recentAt++ & 7] = v;
        return v;
    }
    // push() when the stack must grow first, or is full.
    void pushGrowing(Frame& f, const Value& v);
    void pushPayload(Frame& f, std::span<const uint8_t> payload);
    void checkLimits();
    // try_block.cpp
    void beginTry(Frame& f, std::span<const uint8_t> payload, size_t next);
    bool leaveTryParts(Frame& f);  // true when the pc was moved
    bool handleThrow(Frame& f, const Value& thrown);
    bool returnThroughFinally(Frame& f);
    // scope_chain.cpp
    Value getVariable(Frame& f, String* name);
    void setVariable(Frame& f, String* name, const Value& value);
    void defineLocal(Frame& f, String* name, const Value& value, bool keepExisting);
    bool deleteVariable(Frame& f, String* name);
    Value resolvePath(Frame& f, std::string_view path, bool& found);
    Clip* targetClip(Frame& f);
    void setTarget(Frame& f, std::string_view path);
    bool specialName(Frame& f, String* name, Value& out);
    Clip* clipOfValue(Frame& f, const Value& v);
    void retarget(Frame& f);
    // function_call.cpp
    size_t defineFunction(Frame& f, bool v2, std::span<const uint8_t> payload, size_t next);
    void callFunctionAction(Frame& f);
    void callMethodAction(Frame& f);
    void newObjectAction(Frame& f);
    void newMethodAction(Frame& f);
    std::vector<Value> popArgs(Frame& f);
    // clip_actions.cpp
    void gotoFrame2(Frame& f, std::span<const uint8_t> payload);
    void callFrame(Frame& f, const Value& frame);
    bool frameLoaded(Frame& f, const Value& frame);

    Vm& vm_;
    const size_t maxStack_;
};

}  // namespace velmora::swf::script
