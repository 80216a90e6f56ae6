// The dispatch loop and the actions that only work on the stack: arithmetic, comparison, logic,
// text, conversion, registers and branches.
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "swf/format/text_encoding.h"
#include "swf/runtime/action_reader.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/action_codes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/interpreter.h"
#include "swf/runtime/script/text_units.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

namespace {

// Names are almost always strings already.
String* nameOf(Vm& vm, const Value& v) { return v.isString() ? v.asString() : vm.toString(v); }

double secondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Frames register themselves as roots of the collector for as long as they run.
class FrameRegistration {
public:
    FrameRegistration(Vm& vm, Frame& f) : vm_(vm), outerVersion_(vm.runningVersion_) {
        vm_.frames_.push_back(&f);
        vm_.runningVersion_ = f.version;
    }
    ~FrameRegistration() {
        vm_.frames_.pop_back();
        vm_.runningVersion_ = outerVersion_;
    }
    FrameRegistration(const FrameRegistration&) = delete;
    FrameRegistration& operator=(const FrameRegistration&) = delete;

private:
    Vm& vm_;
    const int outerVersion_;
};

}  // namespace

void Interpreter::checkLimits() {
    const uint64_t maxActions = vm_.limits().maxActions;
    if (maxActions && vm_.runSteps_ >= maxActions) {
        throw LimitExceeded{"a script ran " + std::to_string(maxActions) +
                            " actions and was stopped: it does not come to an end"};
    }
    if (secondsNow() - vm_.runStartedSeconds_ > vm_.limits().timeoutSeconds) {
        throw LimitExceeded{"a script ran longer than " + numberToString(vm_.limits().timeoutSeconds) +
                            " seconds and was stopped: it does not come to an end"};
    }
}

[[gnu::always_inline]] inline bool Interpreter::quickStep(Frame& f, uint8_t code, std::span<const uint8_t> payload, size_t next) {
    std::vector<Value>& stack = f.stack;
    const size_t n = stack.size();
    switch (code) {
    case op::kPush:
        // One pooled name, as compilers push most names.
        if (payload.size() == 2 && payload[0] == 8 && f.pool && payload[1] < f.pool->strings.size()) {
            push(f, Value::string(f.pool->strings[payload[1]]));
        } else {
            pushPayload(f, payload);
        }
        return true;  // keeps lastVariable, as step() does for Push
    case op::kPop:
        pop(f);
        break;
    case op::kGetVariable: {
        String* name = nameOf(vm_, pop(f));
        push(f, getVariable(f, name));
        f.lastVariable = name;
        f.lastVariableDepth = f.stack.size();
        return true;  // keeps lastVariable for the next action
    }
    case op::kSetVariable: {
        const Value value = pop(f);
        String* name = nameOf(vm_, pop(f));
        setVariable(f, name, value);
        break;
    }
    case op::kJump:
    case op::kIf: {
        if (payload.size() < 2) return false;
        if (code == op::kIf) {
            const Value condition = pop(f);
            if (!(condition.isBoolean() ? condition.asBoolean() : vm_.toBoolean(condition))) break;
        }
        const auto offset = static_cast<int16_t>(payload[0] | payload[1] << 8);
        const int64_t to = static_cast<int64_t>(next) + offset;
        if (to < 0 || to > static_cast<int64_t>(f.end)) throw ActionError("a jump leads outside its script");
        f.pc = static_cast<size_t>(to);
        break;
    }
    case op::kAdd2:
    case op::kLess2: {
        if (n < 2 || !stack[n - 1].isNumber() || !stack[n - 2].isNumber()) return false;
        const double a = stack[n - 2].asNumber(), b = stack[n - 1].asNumber();
        stack.pop_back();
        if (code == op::kAdd2) {
            stack.back() = Value::number(a + b);
        } else {
            stack.back() = std::isnan(a) || std::isnan(b) ? Value() : Value::boolean(a < b);
        }
        break;
    }
    case op::kIncrement:
    case op::kDecrement:
        if (n < 1 || !stack.back().isNumber()) return false;
        stack.back() = Value::number(stack.back().asNumber() + (code == op::kIncrement ? 1 : -1));
        break;
    case op::kNot:
        if (n < 1 || !stack.back().isBoolean() || f.version < 5) return false;
        stack.back() = Value::boolean(!stack.back().asBoolean());
        break;
    default:
        return false;
    }
    f.lastVariable = nullptr;
    return true;
}

Value Interpreter::run(Frame& f) {
    FrameRegistration registration(vm_, f);
    const std::span<const uint8_t> code = f.code.first(f.end);
    const uint64_t maxActions = vm_.limits().maxActions;
    while (true) {
        if (f.returning) {
            if (!returnThroughFinally(f)) break;
            continue;
        }
        if (f.pc >= f.end) {
            if (!f.tries.empty() && leaveTryParts(f)) continue;
            break;
        }
        try {
            // The clock is read every few thousand actions; an action count, when one is set,
            // is compared every time.
            const uint64_t steps = ++vm_.runSteps_;
            if ((steps & 0xFFF) == 0 || (maxActions && steps >= maxActions)) [[unlikely]] checkLimits();
            const size_t before = f.pc;
            const uint8_t action = code[before];
            std::span<const uint8_t> payload;
            size_t next = before + 1;
            if (action >= 0x80) {
                // The same checks readActionRecord makes, without leaving the loop.
                if (code.size() - before < 3) throw ActionError("action record cut short");
                const size_t length = static_cast<size_t>(code[before + 1]) | static_cast<size_t>(code[before + 2]) << 8;
                if (code.size() - before - 3 < length) throw ActionError("action record longer than its script");
                payload = code.subspan(before + 3, length);
                next = before + 3 + length;
            } else if (action == op::kEnd) {
                f.pc = f.end;
                continue;
            }
            f.pc = next;
            if (!quickStep(f, action, payload, next)) step(f, action, payload, next);
            // A backward jump is a safe point: every live value sits in a frame.
            if (f.pc <= before && vm_.heap().wantsCollection()) vm_.heap().collect();
            // A with block ends where its body does.
            while (!f.withs.empty() && (f.pc >= f.withs.back().end || f.pc < f.withs.back().start)) {
                f.scope = f.withs.back().saved;
                f.withs.pop_back();
            }
            // A Return goes through the finally parts before anything else.
            if (!f.returning && !f.tries.empty()) leaveTryParts(f);
        } catch (const ScriptException& e) {
            if (!handleThrow(f, e.value)) throw;
        }
    }
    return f.result;
}

void Interpreter::pushGrowing(Frame& f, const Value& v) {
    if (f.stack.size() >= maxStack_) throw LimitExceeded{"a script's stack overflowed"};
    f.stack.push_back(v);
}

namespace {

[[noreturn]] void payloadCutShort() { throw ActionError("action data cut short"); }

uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

// Read in place rather than through a PayloadReader: Push is most of what loops run.
void Interpreter::pushPayload(Frame& f, std::span<const uint8_t> payload) {
    const uint8_t* const p = payload.data();
    const size_t size = payload.size();
    size_t at = 0;
    auto need = [&](size_t count) {
        if (size - at < count) payloadCutShort();
    };
    while (at < size) {
        const uint8_t type = p[at++];
        switch (type) {
        case 0: {
            const void* nul = std::memchr(p + at, 0, size - at);
            if (!nul) throw ActionError("text in a script has no end");
            const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(nul) - (p + at));
            const std::string_view text(reinterpret_cast<const char*>(p + at), length);
            at += length + 1;
            if (f.version < 6) {
                push(f, Value::string(vm_.heap().intern(toUtf8(std::string(text), static_cast<uint8_t>(f.version)))));
            } else {
                push(f, Value::string(vm_.heap().intern(text)));
            }
            break;
        }
        case 1:
            need(4);
            push(f, Value::number(std::bit_cast<float>(readU32(p + at))));
            at += 4;
            break;
        case 2: push(f, Value::null()); break;
        case 3: push(f, Value::undefined()); break;
        case 4: {
            need(1);
            const uint8_t reg = p[at++];
            push(f, reg < f.registers.size() ? f.registers[reg] : Value::undefined());
            break;
        }
        case 5:
            need(1);
            push(f, Value::boolean(p[at++] != 0));
            break;
        case 6: {
            need(8);
            const uint64_t high = readU32(p + at);
            const uint64_t low = readU32(p + at + 4);
            at += 8;
            push(f, Value::number(std::bit_cast<double>(high << 32 | low)));
            break;
        }
        case 7:
            need(4);
            push(f, Value::number(static_cast<int32_t>(readU32(p + at))));
            at += 4;
            break;
        case 8:
        case 9: {
            size_t index = 0;
            if (type == 8) {
                need(1);
                index = p[at++];
            } else {
                need(2);
                index = static_cast<size_t>(p[at]) | static_cast<size_t>(p[at + 1]) << 8;
                at += 2;
            }
            if (f.pool && index < f.pool->strings.size()) {
                push(f, Value::string(f.pool->strings[index]));
            } else {
                push(f, Value::undefined());
            }
            break;
        }
        default:
            // The rest of the record cannot be trusted; what was pushed so far stays.
            vm_.diagnostic("script: a Push action holds an unknown value type " + std::to_string(type));
            vm_.warning("Warning: Failed to parse corrupt data.");
            return;
        }
    }
}

namespace {

// SWF 4 players push 1 and 0 for truth; SWF 5 on, booleans.
Value flag(int version, bool b) { return version < 5 ? Value::number(b ? 1 : 0) : Value::boolean(b); }

}  // namespace

void Interpreter::step(Frame& f, uint8_t code, std::span<const uint8_t> payload, size_t next) {
    Heap& heap = vm_.heap();
    switch (code) {
    // --- the timeline (SWF 3) ---
    case op::kNextFrame: if (Clip* c = targetClip(f)) c->nextFrame(); break;
    case op::kPreviousFrame: if (Clip* c = targetClip(f)) c->prevFrame(); break;
    case op::kPlay: if (Clip* c = targetClip(f)) c->play(); break;
    case op::kStop: if (Clip* c = targetClip(f)) c->stop(); break;
    case op::kToggleQuality:
        vm_.movie().setHighQuality(!vm_.movie().highQuality());
        vm_.movie().noteChange();
        break;
    case op::kStopSounds: if (vm_.movie().sound()) vm_.movie().sound()->stopAllSounds(); break;
    case op::kGotoFrame: {
        PayloadReader in(payload);
        const uint16_t frame = in.u16();
        if (Clip* c = targetClip(f)) c->gotoFrame(frame);
        break;
    }
    case op::kGoToLabel: {
        PayloadReader in(payload);
        const std::string label = in.string();
        if (Clip* c = targetClip(f)) c->gotoLabel(label);
        break;
    }
    case op::kSetTarget: {
        PayloadReader in(payload);
        setTarget(f, in.string());
        break;
    }
    case op::kSetTarget2: setTarget(f, vm_.toString(pop(f))->view()); break;
    case op::kGetUrl: {
        PayloadReader in(payload);
        const std::string url = in.string();
        const std::string window = in.string();
        vm_.openUrl(url, window);
        break;
    }
    case op::kGetUrl2: {
        const Value window = pop(f);
        const Value url = pop(f);
        PayloadReader in(payload);
        const uint8_t flags = in.u8();
        vm_.openUrl(vm_.toString(url)->text(), vm_.toString(window)->text(), flags, targetClip(f));
        break;
    }
    case op::kWaitForFrame: {
        PayloadReader in(payload);
        const uint16_t frame = in.u16();
        const uint8_t skip = in.u8();
        if (!frameLoaded(f, Value::number(frame + 1.0))) {
            for (int i = 0; i < skip && f.pc < f.end; ++i) f.pc = readActionRecord(f.code.first(f.end), f.pc).next;
        }
        break;
    }
    case op::kWaitForFrame2: {
        PayloadReader in(payload);
        const uint8_t skip = in.u8();
        if (!frameLoaded(f, pop(f))) {
            for (int i = 0; i < skip && f.pc < f.end; ++i) f.pc = readActionRecord(f.code.first(f.end), f.pc).next;
        }
        break;
    }
    case op::kGotoFrame2: gotoFrame2(f, payload); break;
    case op::kCall: callFrame(f, pop(f)); break;

    // --- the stack ---
    case op::kPush: pushPayload(f, payload); break;
    case op::kPop: pop(f); break;
    case op::kPushDuplicate: push(f, f.stack.empty() ? Value() : f.stack.back()); break;
    case op::kStackSwap: {
        const Value b = pop(f), a = pop(f);
        push(f, b);
        push(f, a);
        break;
    }
    case op::kStoreRegister: {
        PayloadReader in(payload);
        const uint8_t reg = in.u8();
        if (reg < f.registers.size()) f.registers[reg] = f.stack.empty() ? Value() : f.stack.back();
        break;
    }
    case op::kConstantPool: {
        PayloadReader in(payload);
        const uint16_t count = in.u16();
        auto pool = std::make_shared<ConstantPool>();
        pool->strings.reserve(count);
        for (uint16_t i = 0; i < count; ++i) {
            std::string text = in.string();
            if (f.version < 6) text = toUtf8(text, static_cast<uint8_t>(f.version));
            pool->strings.push_back(heap.intern(text));
        }
        f.pool = std::move(pool);
        break;
    }

    // --- arithmetic ---
    case op::kAdd: {
        const double b = vm_.toNumber(pop(f)), a = vm_.toNumber(pop(f));
        push(f, Value::number(a + b));
        break;
    }
    case op::kSubtract: {
        const double b = vm_.toNumber(pop(f)), a = vm_.toNumber(pop(f));
        push(f, Value::number(a - b));
        break;
    }
    case op::kMultiply: {
        const double b = vm_.toNumber(pop(f)), a = vm_.toNumber(pop(f));
        push(f, Value::number(a * b));
        break;
    }
    case op::kDivide: {
        const double b = vm_.toNumber(pop(f)), a = vm_.toNumber(pop(f));
        if (b == 0.0 && f.version < 5) {
            push(f, Value::string(heap.intern("#ERROR#")));
        } else {
            push(f, Value::number(a / b));
        }
        break;
    }
    case op::kModulo: {
        const double b = vm_.toNumber(pop(f)), a = vm_.toNumber(pop(f));
        push(f, Value::number(std::fmod(a, b)));
        break;
    }
    case op::kIncrement: push(f, Value::number(vm_.toNumber(pop(f)) + 1)); break;
    case op::kDecrement: push(f, Value::number(vm_.toNumber(pop(f)) - 1)); break;
    case op::kAdd2: {
        Value b = pop(f), a = pop(f);
        if (a.isNumber() && b.isNumber()) {
            push(f, Value::number(a.asNumber() + b.asNumber()));
            break;
        }
        a = vm_.toPrimitive(a);
        b = vm_.toPrimitive(b);
        if (a.isString() || b.isString()) {
            String* sa = vm_.toString(a);
            String* sb = vm_.toString(b);
            push(f, Value::string(vm_.concat(sa->view(), sb->view())));
        } else {
            push(f, Value::number(vm_.toNumber(a) + vm_.toNumber(b)));
        }
        break;
    }
    case op::kBitAnd:
    case op::kBitOr:
    case op::kBitXor:
    case op::kBitLShift:
    case op::kBitRShift:
    case op::kBitURShift: {
        const int32_t b = toInt32(vm_.toNumber(pop(f)));
        const int32_t a = toInt32(vm_.toNumber(pop(f)));
        double r = 0;
        switch (code) {
        case op::kBitAnd: r = a & b; break;
        case op::kBitOr: r = a | b; break;
        case op::kBitXor: r = a ^ b; break;
        case op::kBitLShift: r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); break;
        case op::kBitRShift: r = a >> (b & 31); break;
        default: r = static_cast<uint32_t>(a) >> (b & 31); break;
        }
        push(f, Value::number(r));
        break;
    }
    case op::kToInteger: push(f, Value::number(toInteger(vm_.toNumber(pop(f))))); break;
    case op::kToNumber: push(f, Value::number(vm_.toNumber(pop(f)))); break;
    case op::kToString: push(f, Value::string(vm_.toString(pop(f)))); break;
    case op::kRandomNumber: {
        const double max = vm_.toNumber(pop(f));
        // Bounded before the cast: a double beyond the integer's range would be undefined.
        const double bound = std::isfinite(max) ? std::clamp(max, 0.0, 2147483647.0) : 0.0;
        push(f, Value::number(vm_.movie().nextRandom(static_cast<uint32_t>(bound))));
        break;
    }
    case op::kGetTime: push(f, Value::number(std::floor(vm_.movie().elapsedMilliseconds()))); break;

    // --- comparison and logic ---
    case op::kEquals: {
        const double b = vm_.toNumber(pop(f)), a = vm_.toNumber(pop(f));
        push(f, flag(f.version, a == b));
        break;
    }
    case op::kLess: {
        const double b = vm_.toNumber(pop(f)), a = vm_.toNumber(pop(f));
        push(f, flag(f.version, a < b));
        break;
    }
    case op::kLess2: {
        const Value b = pop(f), a = pop(f);
        push(f, vm_.lessThan(a, b, true));
        break;
    }
    case op::kGreater: {
        const Value b = pop(f), a = pop(f);
        push(f, vm_.lessThan(b, a, false));
        break;
    }
    case op::kEquals2: {
        const Value b = pop(f), a = pop(f);
        push(f, Value::boolean(vm_.looseEquals(a, b)));
        break;
    }
    case op::kStrictEquals: {
        const Value b = pop(f), a = pop(f);
        push(f, Value::boolean(Vm::strictEquals(a, b)));
        break;
    }
    case op::kAnd: {
        const bool b = vm_.toBoolean(pop(f)), a = vm_.toBoolean(pop(f));
        push(f, flag(f.version, a && b));
        break;
    }
    case op::kOr: {
        const bool b = vm_.toBoolean(pop(f)), a = vm_.toBoolean(pop(f));
        push(f, flag(f.version, a || b));
        break;
    }
    case op::kNot: push(f, flag(f.version, !vm_.toBoolean(pop(f)))); break;

    // --- text ---
    case op::kStringEquals: {
        String* b = vm_.toString(pop(f));
        String* a = vm_.toString(pop(f));
        push(f, flag(f.version, a->view() == b->view()));
        break;
    }
    case op::kStringLess: {
        String* b = vm_.toString(pop(f));
        String* a = vm_.toString(pop(f));
        push(f, flag(f.version, a->view() < b->view()));
        break;
    }
    case op::kStringGreater: {
        String* b = vm_.toString(pop(f));
        String* a = vm_.toString(pop(f));
        push(f, flag(f.version, a->view() > b->view()));
        break;
    }
    case op::kStringAdd: {
        String* b = vm_.toString(pop(f));
        String* a = vm_.toString(pop(f));
        push(f, Value::string(vm_.concat(a->view(), b->view())));
        break;
    }
    case op::kStringLength:
    case op::kMBStringLength: {
        String* s = vm_.toString(pop(f));
        const size_t n = code == op::kMBStringLength ? characterCount(s->view()) : s->size();
        push(f, Value::number(static_cast<double>(n)));
        break;
    }
    case op::kStringExtract:
    case op::kMBStringExtract: {
        const double count = vm_.toNumber(pop(f));
        const double index = vm_.toNumber(pop(f));  // from 1
        String* s = vm_.toString(pop(f));
        push(f, Value::string(heap.string(extractText(s->view(), index, count, code == op::kMBStringExtract))));
        break;
    }
    case op::kCharToAscii: {
        String* s = vm_.toString(pop(f));
        push(f, Value::number(s->empty() ? 0.0 : static_cast<unsigned char>(s->view()[0])));
        break;
    }
    case op::kMBCharToAscii: {
        String* s = vm_.toString(pop(f));
        push(f, Value::number(s->empty() ? 0.0 : firstCodePoint(s->view())));
        break;
    }
    case op::kAsciiToChar: {
        const uint32_t c = toUint32(vm_.toNumber(pop(f))) & 0xFF;
        // Codes above 127 are Latin-1 characters; the engine keeps text in UTF-8.
        push(f, Value::string(heap.string(codePointToUtf8(c))));
        break;
    }
    case op::kMBAsciiToChar: {
        const uint32_t c = toUint32(vm_.toNumber(pop(f))) & 0xFFFF;
        push(f, Value::string(heap.string(codePointToUtf8(c))));
        break;
    }
    case op::kTypeOf: push(f, Value::string(heap.intern(vm_.typeOf(pop(f))))); break;

    // --- branches ---
    case op::kJump:
    case op::kIf: {
        PayloadReader in(payload);
        const int16_t offset = in.s16();
        if (code == op::kIf && !vm_.toBoolean(pop(f))) break;
        const int64_t to = static_cast<int64_t>(next) + offset;
        if (to < 0 || to > static_cast<int64_t>(f.end)) throw ActionError("a jump leads outside its script");
        f.pc = static_cast<size_t>(to);
        break;
    }

    // --- variables and members (scope_chain.cpp, members on Vm) ---
    case op::kGetVariable: {
        const Value nameValue = pop(f);
        String* name = nameOf(vm_, nameValue);
        push(f, getVariable(f, name));
        f.lastVariable = name;
        f.lastVariableDepth = f.stack.size();
        return;  // keeps lastVariable for the next action
    }
    case op::kSetVariable: {
        const Value value = pop(f);
        String* name = nameOf(vm_, pop(f));
        setVariable(f, name, value);
        break;
    }
    case op::kDefineLocal: {
        const Value value = pop(f);
        String* name = vm_.toString(pop(f));
        defineLocal(f, name, value, false);
        break;
    }
    case op::kDefineLocal2: defineLocal(f, vm_.toString(pop(f)), Value(), true); break;
    case op::kDelete: {
        String* name = vm_.toString(pop(f));
        const Value object = pop(f);
        push(f, Value::boolean(vm_.deleteMember(object, vm_.key(name))));
        break;
    }
    case op::kDelete2: push(f, Value::boolean(deleteVariable(f, vm_.toString(pop(f))))); break;
    case op::kGetMember: {
        const Value nameValue = pop(f);
        const bool fromVariable = f.lastVariable && f.lastVariableDepth == f.stack.size();
        String* variable = f.lastVariable;
        const Value object = pop(f);
        String* name = nameOf(vm_, nameValue);
        if (object.isNullish()) {
            if (fromVariable) {
                vm_.warning("Warning: '" + variable->text() + "' has no property '" + name->text() + "'");
            }
            push(f, Value());
            break;
        }
        push(f, vm_.getMember(object, vm_.key(name)));
        break;
    }
    case op::kSetMember: {
        const Value value = pop(f);
        String* name = nameOf(vm_, pop(f));
        const Value object = pop(f);
        vm_.setMember(object, vm_.key(name), value, name);
        break;
    }
    case op::kGetProperty: {
        const int index = toInt32(vm_.toNumber(pop(f)));
        const Value target = pop(f);
        push(f, vm_.clipPropertyByIndex(clipOfValue(f, target), index));
        break;
    }
    case op::kSetProperty: {
        const Value value = pop(f);
        const int index = toInt32(vm_.toNumber(pop(f)));
        const Value target = pop(f);
        vm_.setClipPropertyByIndex(clipOfValue(f, target), index, value);
        break;
    }
    case op::kTargetPath: {
        const Value v = pop(f);
        ClipObject* c = v.isObject() ? dynamic_cast<ClipObject*>(v.asObject()) : nullptr;
        Clip* clip = c ? c->clip(vm_) : nullptr;
        push(f, clip ? Value::string(heap.string(dotPath(*clip))) : Value());
        break;
    }
    case op::kTrace: vm_.trace(vm_.toString(pop(f))->text()); break;

    // --- objects ---
    case op::kNewObject: newObjectAction(f); break;
    case op::kNewMethod: newMethodAction(f); break;
    case op::kInitArray: {
        std::vector<Value> args = popArgs(f);
        ArrayObject* a = vm_.newArray();
        a->elements() = std::move(args);
        heap.account(a);
        push(f, Value::object(a));
        break;
    }
    case op::kInitObject: {
        const double count = vm_.toNumber(pop(f));
        Object* o = vm_.newObject();
        const size_t n = std::isfinite(count) && count > 0 ? static_cast<size_t>(std::min(count, 1e9)) : 0;
        for (size_t i = 0; i < n && !f.stack.empty(); ++i) {
            const Value value = pop(f);
            String* name = vm_.toString(pop(f));
            vm_.setMember(Value::object(o), vm_.key(name), value, name);
        }
        push(f, Value::object(o));
        break;
    }
    case op::kEnumerate:
    case op::kEnumerate2: {
        Value object = pop(f);
        if (code == op::kEnumerate) {
            bool found = false;
            object = resolvePath(f, vm_.toString(object)->view(), found);
        }
        std::vector<Value> names = vm_.enumerate(object);
        push(f, Value::null());  // the end marker for..in loops stop at
        for (auto it = names.rbegin(); it != names.rend(); ++it) push(f, *it);
        break;
    }
    case op::kInstanceOf: {
        const Value ctor = pop(f), object = pop(f);
        push(f, Value::boolean(vm_.instanceOf(object, ctor)));
        break;
    }
    case op::kCastOp: {
        const Value object = pop(f), ctor = pop(f);
        push(f, vm_.instanceOf(object, ctor) ? object : Value::null());
        break;
    }
    case op::kImplementsOp: {
        const Value ctor = pop(f);
        std::vector<Value> interfaces = popArgs(f);
        vm_.setInterfaces(ctor, interfaces);
        break;
    }
    case op::kExtends: {
        const Value superclass = pop(f), subclass = pop(f);
        vm_.extend(subclass, superclass);
        break;
    }
    case op::kWith: {
        PayloadReader in(payload);
        const uint16_t size = in.u16();
        const Value v = pop(f);
        if (next + size > f.end) throw ActionError("a with block runs past its script");
        Object* o = vm_.toObject(v);
        if (!o) {
            // with on nothing skips its block.
            f.pc = next + size;
            break;
        }
        f.withs.push_back({next, next + size, f.scope});
        f.scope = heap.make<Scope>(f.scope, o);
        break;
    }
    case op::kTry: beginTry(f, payload, next); break;
    case op::kThrow: throw ScriptException{pop(f)};

    // --- functions ---
    case op::kDefineFunction:
    case op::kDefineFunction2: f.pc = defineFunction(f, code == op::kDefineFunction2, payload, next); break;
    case op::kCallFunction: callFunctionAction(f); break;
    case op::kCallMethod: callMethodAction(f); break;
    case op::kReturn:
        f.result = pop(f);
        f.returning = true;
        break;

    // --- the display list ---
    case op::kCloneSprite: {
        const double depth = vm_.toNumber(pop(f));
        String* name = vm_.toString(pop(f));
        const Value source = pop(f);
        vm_.cloneSprite(clipOfValue(f, source), name->text(), depth);
        break;
    }
    case op::kRemoveSprite: vm_.removeSprite(clipOfValue(f, pop(f))); break;
    case op::kStartDrag: {
        const Value target = pop(f);
        const bool lockCenter = vm_.toBoolean(pop(f));
        const bool constrain = vm_.toBoolean(pop(f));
        double box[4] = {0, 0, 0, 0};
        if (constrain) {
            box[3] = vm_.toNumber(pop(f));
            box[2] = vm_.toNumber(pop(f));
            box[1] = vm_.toNumber(pop(f));
            box[0] = vm_.toNumber(pop(f));
        }
        vm_.startDrag(clipOfValue(f, target), lockCenter, constrain ? box : nullptr);
        break;
    }
    case op::kEndDrag: vm_.endDrag(); break;

    default:
        // The stack effect of an unknown action is unknown too: nothing after it can be trusted.
        vm_.unsupported("action 0x" + hexByte(code));
        throw LimitExceeded{};
    }
    // The name stays with its value only while names are pushed above it ("foo.bar").
    if (code != op::kPush) f.lastVariable = nullptr;
}

}  // namespace velmora::swf::script
