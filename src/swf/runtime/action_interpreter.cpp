#include "swf/runtime/action_interpreter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <span>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "swf/runtime/action_reader.h"
#include "swf/runtime/action_value.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script_function.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf {

namespace {

// Action codes, named as the format names them.
enum Op : uint8_t {
    kEnd = 0x00,
    kNextFrame = 0x04,
    kPreviousFrame = 0x05,
    kPlay = 0x06,
    kStop = 0x07,
    kToggleQuality = 0x08,
    kStopSounds = 0x09,
    kAdd = 0x0A,
    kSubtract = 0x0B,
    kMultiply = 0x0C,
    kDivide = 0x0D,
    kEquals = 0x0E,
    kLess = 0x0F,
    kAnd = 0x10,
    kOr = 0x11,
    kNot = 0x12,
    kStringEquals = 0x13,
    kStringLength = 0x14,
    kStringExtract = 0x15,
    kPop = 0x17,
    kToInteger = 0x18,
    kGetVariable = 0x1C,
    kSetVariable = 0x1D,
    kSetTarget2 = 0x20,
    kStringAdd = 0x21,
    kGetProperty = 0x22,
    kSetProperty = 0x23,
    kTrace = 0x26,
    kStringLess = 0x29,
    kRandomNumber = 0x30,
    kCharToAscii = 0x32,
    kAsciiToChar = 0x33,
    kGetTime = 0x34,
    kDefineLocal = 0x3C,
    kCallFunction = 0x3D,
    kModulo = 0x3F,
    kReturn = 0x3E,
    kDefineLocal2 = 0x41,
    kTypeOf = 0x44,
    kTargetPath = 0x45,
    kAdd2 = 0x47,
    kLess2 = 0x48,
    kEquals2 = 0x49,
    kToNumber = 0x4A,
    kToString = 0x4B,
    kPushDuplicate = 0x4C,
    kStackSwap = 0x4D,
    kGetMember = 0x4E,
    kSetMember = 0x4F,
    kIncrement = 0x50,
    kDecrement = 0x51,
    kCallMethod = 0x52,
    kBitAnd = 0x60,
    kBitOr = 0x61,
    kBitXor = 0x62,
    kBitLShift = 0x63,
    kBitRShift = 0x64,
    kBitURShift = 0x65,
    kStrictEquals = 0x66,
    kGreater = 0x67,
    kStringGreater = 0x68,
    kGotoFrame = 0x81,
    kGetUrl = 0x83,
    kStoreRegister = 0x87,
    kConstantPool = 0x88,
    kWaitForFrame = 0x8A,
    kSetTarget = 0x8B,
    kGoToLabel = 0x8C,
    kWaitForFrame2 = 0x8D,
    kDefineFunction2 = 0x8E,
    kPush = 0x96,
    kJump = 0x99,
    kGetUrl2 = 0x9A,
    kDefineFunction = 0x9B,
    kIf = 0x9D,
    kCall = 0x9E,
    kGotoFrame2 = 0x9F,
};

int32_t toInt32(double v) {
    if (!std::isfinite(v)) return 0;
    const double m = std::fmod(std::trunc(v), 4294967296.0);
    const double u = m < 0 ? m + 4294967296.0 : m;
    return static_cast<int32_t>(static_cast<uint32_t>(u));
}

// Counts UTF-8 characters from SWF 6 on (text is UTF-8 there), bytes before.
size_t textLength(const std::string& s, int version) {
    if (version < 6) return s.size();
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

class Interpreter {
public:
    // Runs code[begin, end) with clip as its timeline and first target.
    Interpreter(const ActionBytes& code, size_t begin, size_t end, Clip& clip, ScriptBudget& budget)
        : owner_(code),
          code_(std::span<const uint8_t>(*code).subspan(begin, end - begin)),
          codeOffset_(begin),
          base_(clip.handle()),
          target_(clip.handle()),
          movie_(clip.movie()),
          budget_(budget),
          version_(clip.movie().movie().version) {}

    // Makes this run the body of f called with args: locals, parameters and preloaded registers.
    void enterFunction(const ScriptFunction& f, Clip& self, const std::vector<ActionValue>& args) {
        inFunction_ = true;
        if (f.v2) registers_.resize(std::max<size_t>(f.registerCount, 4));
        size_t reg = 1;
        auto preload = [&](uint16_t preloadFlag, uint16_t suppressFlag, ActionValue value) {
            if ((f.flags & preloadFlag) && !(f.flags & suppressFlag) && reg < registers_.size()) {
                registers_[reg++] = std::move(value);
            }
        };
        if (f.v2) {
            preload(0x0001, 0x0002, ActionValue::clip(self.handle()));             // this
            preload(0x0004, 0x0008, ActionValue::undefined());                     // arguments
            preload(0x0010, 0x0020, ActionValue::undefined());                     // super
            preload(0x0040, 0, ActionValue::clip(movie_.root().handle()));         // _root
            preload(0x0080, 0, self.parent() ? ActionValue::clip(self.parent()->handle()) : ActionValue());
            preload(0x0100, 0, ActionValue::undefined());                          // _global
        }
        for (size_t i = 0; i < f.params.size(); ++i) {
            ActionValue arg = i < args.size() ? args[i] : ActionValue::undefined();
            const uint8_t r = i < f.paramRegisters.size() ? f.paramRegisters[i] : 0;
            if (f.v2 && r != 0) {
                if (r < registers_.size()) registers_[r] = std::move(arg);
            } else {
                locals_[f.params[i]] = std::move(arg);
            }
        }
    }

    const ActionValue& returned() const { return returned_; }

    ScriptOutcome run() {
        try {
            size_t pc = 0;
            while (pc < code_.size()) {
                if (budget_.stepsLeft == 0) return ScriptOutcome::OutOfSteps;
                --budget_.stepsLeft;
                const ActionRecord record = readActionRecord(code_, pc);
                if (record.code == kEnd) return ScriptOutcome::Finished;
                pc = execute(record);
            }
            return ScriptOutcome::Finished;
        } catch (const ActionError& e) {
            movie_.addMessage(std::string("script error: ") + e.what());
            return ScriptOutcome::Failed;
        }
    }

private:
    // Runs one action and returns where the next one starts.
    size_t execute(const ActionRecord& r) {
        PayloadReader in(r.payload);
        switch (r.code) {
        // --- SWF 3: the timeline ---
        case kNextFrame: if (Clip* c = target()) c->nextFrame(); break;
        case kPreviousFrame: if (Clip* c = target()) c->prevFrame(); break;
        case kPlay: if (Clip* c = target()) c->play(); break;
        case kStop: if (Clip* c = target()) c->stop(); break;
        case kToggleQuality: movie_.setHighQuality(!movie_.highQuality()); movie_.noteChange(); break;
        case kStopSounds: if (movie_.sound()) movie_.sound()->stopAllSounds(); break;
        case kGotoFrame: {
            const uint16_t frame = in.u16();
            if (Clip* c = target()) c->gotoFrame(frame);
            break;
        }
        case kGetUrl: {
            const std::string url = in.string();
            const std::string window = in.string();
            refuseUrl(url, window);
            break;
        }
        case kWaitForFrame: {
            const uint16_t frame = in.u16();
            const uint8_t skip = in.u8();
            if (!frameLoaded(frame)) return skipActions(r.next, skip);
            break;
        }
        case kSetTarget: setTarget(in.string()); break;
        case kGoToLabel: {
            const std::string label = in.string();
            if (Clip* c = target()) c->gotoLabel(label);
            break;
        }

        // --- SWF 4 and 5: the stack machine ---
        case kPush: push(in); break;
        case kPop: pop(); break;
        case kAdd: binaryNumber([](double a, double b) { return a + b; }); break;
        case kSubtract: binaryNumber([](double a, double b) { return a - b; }); break;
        case kMultiply: binaryNumber([](double a, double b) { return a * b; }); break;
        case kDivide: {
            const double b = popNumber(), a = popNumber();
            if (b == 0.0 && version_ < 5) {
                pushValue(ActionValue::string("#ERROR#"));
            } else {
                pushValue(ActionValue::number(a / b));
            }
            break;
        }
        case kModulo: binaryNumber([](double a, double b) { return std::fmod(a, b); }); break;
        case kEquals: { const double b = popNumber(), a = popNumber(); pushFlag(a == b); break; }
        case kLess: { const double b = popNumber(), a = popNumber(); pushFlag(a < b); break; }
        case kAnd: { const bool b = popBool(), a = popBool(); pushFlag(a && b); break; }
        case kOr: { const bool b = popBool(), a = popBool(); pushFlag(a || b); break; }
        case kNot: pushFlag(!popBool()); break;
        case kStringEquals: { const auto b = popString(), a = popString(); pushFlag(a == b); break; }
        case kStringLess: { const auto b = popString(), a = popString(); pushFlag(a < b); break; }
        case kStringGreater: { const auto b = popString(), a = popString(); pushFlag(a > b); break; }
        case kStringLength: pushValue(ActionValue::number(static_cast<double>(textLength(popString(), version_)))); break;
        case kStringAdd: { const auto b = popString(), a = popString(); pushValue(ActionValue::string(joined(a, b))); break; }
        case kStringExtract: stringExtract(); break;
        case kToInteger: pushValue(ActionValue::number(std::trunc(popNumber()))); break;
        case kCharToAscii: {
            const std::string s = popString();
            pushValue(ActionValue::number(s.empty() ? 0.0 : static_cast<unsigned char>(s[0])));
            break;
        }
        case kAsciiToChar: {
            const int32_t code = toInt32(popNumber());
            pushValue(ActionValue::string(std::string(1, static_cast<char>(code & 0xFF))));
            break;
        }
        case kRandomNumber: {
            const double max = popNumber();
            // Bounded before the cast: a double beyond the integer's range would be undefined.
            const double bound = std::isfinite(max) ? std::clamp(max, 0.0, 2147483647.0) : 0.0;
            pushValue(ActionValue::number(movie_.nextRandom(static_cast<uint32_t>(bound))));
            break;
        }
        case kGetTime: pushValue(ActionValue::number(std::floor(movie_.elapsedMilliseconds()))); break;
        case kGetVariable: pushValue(getVariable(popString())); break;
        case kSetVariable: { ActionValue v = pop(); setVariable(popString(), std::move(v)); break; }
        case kDefineLocal: {
            ActionValue v = pop();
            const std::string name = popString();
            if (inFunction_) {
                defineLocal(name, std::move(v));
            } else {
                setVariable(name, std::move(v));
            }
            break;
        }
        case kDefineLocal2: {
            const std::string name = popString();
            if (inFunction_) {
                if (!locals_.count(name)) defineLocal(name, {});
            } else if (!getVariableIfSet(name)) {
                setVariable(name, {});
            }
            break;
        }
        case kGetProperty: {
            const int index = toInt32(popNumber());
            Clip* c = clipOf(pop());
            const auto value = c ? clipProperty(*c, index) : std::nullopt;
            pushValue(value ? *value : ActionValue::undefined());
            break;
        }
        case kSetProperty: {
            ActionValue value = pop();
            const int index = toInt32(popNumber());
            if (Clip* c = clipOf(pop())) setClipProperty(*c, index, value);
            break;
        }
        case kSetTarget2: setTarget(popString()); break;
        case kTrace: movie_.addMessage("trace: " + pop().toString(version_)); break;
        case kGotoFrame2: gotoFrame2(in); break;
        case kGetUrl2: {
            in.u8();
            const std::string window = popString();
            refuseUrl(popString(), window);
            break;
        }
        case kWaitForFrame2: {
            const uint8_t skip = in.u8();
            const ActionValue frame = pop();
            const double n = frame.toNumber(version_);
            if (!(std::isfinite(n) && n >= 1 && frameLoaded(static_cast<size_t>(std::min(n, 1e9)) - 1))) {
                return skipActions(r.next, skip);
            }
            break;
        }
        case kCall: call(pop()); break;
        case kJump: return jump(r.next, in.s16());
        case kIf: {
            const int16_t offset = in.s16();
            return popBool() ? jump(r.next, offset) : r.next;
        }
        case kConstantPool: {
            const uint16_t count = in.u16();
            constants_.clear();
            for (uint16_t i = 0; i < count; ++i) constants_.push_back(in.string());
            break;
        }
        case kStoreRegister: {
            const uint8_t reg = in.u8();
            if (stack_.empty()) throw ActionError("StoreRegister with an empty stack");
            if (reg < registers_.size()) registers_[reg] = stack_.back();
            break;
        }
        case kAdd2: {
            ActionValue b = pop(), a = pop();
            if (a.kind() == ActionValue::Kind::String || b.kind() == ActionValue::Kind::String) {
                pushValue(ActionValue::string(joined(a.toString(version_), b.toString(version_))));
            } else {
                pushValue(ActionValue::number(a.toNumber(version_) + b.toNumber(version_)));
            }
            break;
        }
        case kLess2: { ActionValue b = pop(), a = pop(); pushValue(ActionValue::boolean(less(a, b))); break; }
        case kGreater: { ActionValue b = pop(), a = pop(); pushValue(ActionValue::boolean(less(b, a))); break; }
        case kEquals2: { ActionValue b = pop(), a = pop(); pushValue(ActionValue::boolean(looseEquals(a, b))); break; }
        case kStrictEquals: { ActionValue b = pop(), a = pop(); pushValue(ActionValue::boolean(strictEquals(a, b))); break; }
        case kToNumber: pushValue(ActionValue::number(popNumber())); break;
        case kToString: pushValue(ActionValue::string(popString())); break;
        case kTypeOf: pushValue(ActionValue::string(typeOf(pop()))); break;
        case kPushDuplicate: {
            if (stack_.empty()) throw ActionError("PushDuplicate with an empty stack");
            pushValue(ActionValue(stack_.back()));
            break;
        }
        case kStackSwap: {
            ActionValue b = pop(), a = pop();
            pushValue(std::move(b));
            pushValue(std::move(a));
            break;
        }
        case kIncrement: pushValue(ActionValue::number(popNumber() + 1)); break;
        case kDecrement: pushValue(ActionValue::number(popNumber() - 1)); break;
        case kBitAnd: binaryInt([](int32_t a, int32_t b) { return a & b; }); break;
        case kBitOr: binaryInt([](int32_t a, int32_t b) { return a | b; }); break;
        case kBitXor: binaryInt([](int32_t a, int32_t b) { return a ^ b; }); break;
        case kBitLShift: binaryInt([](int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31)); }); break;
        case kBitRShift: binaryInt([](int32_t a, int32_t b) { return a >> (b & 31); }); break;
        case kBitURShift: {
            const int32_t b = toInt32(popNumber()), a = toInt32(popNumber());
            pushValue(ActionValue::number(static_cast<double>(static_cast<uint32_t>(a) >> (b & 31))));
            break;
        }
        case kGetMember: {
            const std::string name = popString();
            pushValue(getMember(pop(), name));
            break;
        }
        case kSetMember: {
            ActionValue value = pop();
            const std::string name = popString();
            setMember(pop(), name, std::move(value));
            break;
        }
        case kCallMethod: {
            const std::string name = popString();
            const ActionValue object = pop();
            const auto args = popArguments();
            pushValue(callMethod(object, name, args));
            break;
        }
        case kCallFunction: {
            const std::string name = popString();
            const auto args = popArguments();
            const ActionValue callee = getVariable(name);
            Clip* self = target() ? target() : base_.get();
            pushValue(callee.asFunction() && self ? invoke(*callee.asFunction(), *self, args) : ActionValue());
            break;
        }
        case kTargetPath: {
            const ActionValue value = pop();
            const Clip* c = value.asClip();
            pushValue(c ? ActionValue::string(dotPath(*c)) : ActionValue::undefined());
            break;
        }
        case kDefineFunction:
        case kDefineFunction2: return defineFunction(r);
        case kReturn:
            returned_ = pop();
            return code_.size();
        default:
            break;  // not supported yet: skipped by its length
        }
        return r.next;
    }

    // --- targets ---

    // The current target, or nullptr when it was removed or a SetTarget named nothing: actions
    // then do nothing, as tellTarget on a missing clip does.
    Clip* target() const { return targetValid_ ? target_.get() : nullptr; }

    void setTarget(const std::string& path) {
        Clip* base = base_.get();
        if (path.empty()) {
            target_ = base_;
            targetValid_ = true;
            return;
        }
        Clip* c = base ? resolveTarget(*base, path) : nullptr;
        targetValid_ = c != nullptr;
        if (c) {
            target_ = c->handle();
        } else {
            movie_.addMessage("script addresses no clip \"" + path + "\"");
        }
    }

    // A clip named by a script's text, relative to the current target; "" is the target itself.
    Clip* clipNamed(const std::string& path) {
        Clip* from = target();
        if (!from) from = base_.get();
        return from ? resolveTarget(*from, path) : nullptr;
    }

    // The clip a value stands for: a clip reference, or a path relative to the current target.
    Clip* clipOf(const ActionValue& value) {
        if (value.kind() == ActionValue::Kind::Clip) return value.asClip();
        return clipNamed(value.toString(version_));
    }

    ActionValue getMember(const ActionValue& object, const std::string& name) {
        if (Clip* c = object.asClip()) {
            const auto it = c->variables().find(name);
            if (it != c->variables().end()) return it->second;
            if (!name.empty() && name[0] == '_') {
                if (const auto index = clipPropertyIndex(name)) return *clipProperty(*c, *index);
            }
            if (Clip* child = resolveTarget(*c, name); child && !name.empty() && name.find_first_of("/.") == std::string::npos) {
                return ActionValue::clip(child->handle());
            }
            return {};
        }
        if (object.kind() == ActionValue::Kind::String && name == "length") {
            return ActionValue::number(static_cast<double>(textLength(object.toString(version_), version_)));
        }
        return {};
    }

    void setMember(const ActionValue& object, const std::string& name, ActionValue value) {
        Clip* c = object.asClip();
        if (!c) return;  // members of other objects come with objects
        if (!name.empty() && name[0] == '_') {
            if (const auto index = clipPropertyIndex(name)) {
                setClipProperty(*c, *index, value);
                return;
            }
        }
        auto& vars = c->variables();
        if (vars.size() >= movie_.limits().maxVariablesPerClip && !vars.count(name)) {
            throw ActionError("too many variables in one clip");
        }
        vars[name] = std::move(value);
    }

    std::vector<ActionValue> popArguments() {
        const double count = popNumber();
        std::vector<ActionValue> args;
        if (!std::isfinite(count) || count <= 0) return args;
        const size_t n = static_cast<size_t>(std::min(count, static_cast<double>(stack_.size())));
        for (size_t i = 0; i < n; ++i) args.push_back(pop());
        return args;
    }

    // The movie clip methods that drive timelines; other methods answer undefined.
    ActionValue callMethod(const ActionValue& object, const std::string& name, const std::vector<ActionValue>& args) {
        if (name.empty()) {  // the object itself is the function
            Clip* self = target() ? target() : base_.get();
            return object.asFunction() && self ? invoke(*object.asFunction(), *self, args) : ActionValue();
        }
        Clip* c = object.asClip();
        if (!c) return {};
        if (const auto it = c->variables().find(name); it != c->variables().end() && it->second.asFunction()) {
            return invoke(*it->second.asFunction(), *c, args);
        }
        if (name == "play") {
            c->play();
        } else if (name == "stop") {
            c->stop();
        } else if (name == "nextFrame") {
            c->nextFrame();
        } else if (name == "prevFrame") {
            c->prevFrame();
        } else if ((name == "gotoAndPlay" || name == "gotoAndStop") && !args.empty()) {
            gotoValue(*c, args[0]);
            if (name == "gotoAndPlay") {
                c->play();
            } else {
                c->stop();
            }
        } else if (name == "getBytesLoaded" || name == "getBytesTotal") {
            // The whole file is loaded before the movie starts: preloaders see it complete.
            return ActionValue::number(static_cast<double>(movie_.movie().declaredFileLength));
        }
        return {};
    }

    // A frame given as a script gives it: a number counted from 1, or a label.
    void gotoValue(Clip& clip, const ActionValue& frame) {
        const double n = frame.kind() == ActionValue::Kind::String
                             ? ActionValue::parseNumber(frame.toString(version_), version_)
                             : frame.toNumber(version_);
        if (std::isfinite(n)) {
            if (n >= 1) clip.gotoFrame(static_cast<size_t>(std::min(n, 1e9)) - 1);
        } else {
            clip.gotoLabel(frame.toString(version_));
        }
    }

    bool frameLoaded(size_t frame) {
        const Clip* c = target();
        return c && frame < c->frameCount();
    }

    void refuseUrl(const std::string& url, const std::string& window) {
        // A lesson player opens no browser, loads no other movie and runs no commands.
        movie_.addMessage("refused to open \"" + url + "\"" + (window.empty() ? "" : " in \"" + window + "\""));
    }

    size_t skipActions(size_t pc, int count) {
        for (int i = 0; i < count && pc < code_.size(); ++i) pc = readActionRecord(code_, pc).next;
        return pc;
    }

    size_t jump(size_t next, int16_t offset) {
        const int64_t to = static_cast<int64_t>(next) + offset;
        if (to < 0 || to > static_cast<int64_t>(code_.size())) throw ActionError("jump outside the script");
        return static_cast<size_t>(to);
    }

    // DefineFunction and DefineFunction2: the body follows the record; it becomes a function
    // value, stored under its name or pushed when it has none.
    size_t defineFunction(const ActionRecord& r) {
        PayloadReader in(r.payload);
        auto f = std::make_shared<ScriptFunction>();
        f->name = in.string();
        const uint16_t count = in.u16();
        f->v2 = r.code == kDefineFunction2;
        if (f->v2) {
            f->registerCount = in.u8();
            f->flags = in.u16();
        }
        for (uint16_t i = 0; i < count; ++i) {
            if (f->v2) f->paramRegisters.push_back(in.u8());
            f->params.push_back(in.string());
        }
        const size_t size = in.u16();
        if (code_.size() - r.next < size) throw ActionError("function body longer than its script");
        f->code = owner_;
        f->begin = codeOffset_ + r.next;
        f->end = f->begin + size;
        Clip* home = base_.get();
        if (home) f->home = home->handle();
        ActionValue value = ActionValue::function(std::move(f));
        const std::string name = value.asFunction()->name;
        if (name.empty()) {
            pushValue(std::move(value));
        } else if (inFunction_) {
            locals_[name] = std::move(value);
        } else {
            setVariable(name, std::move(value));
        }
        return r.next + size;
    }

    ActionValue invoke(const ScriptFunction& f, Clip& self, const std::vector<ActionValue>& args) {
        if (budget_.callDepth >= movie_.limits().maxCallDepth) throw ActionError("calls nested too deeply");
        ++budget_.callDepth;
        Interpreter callee(f.code, f.begin, f.end, self, budget_);
        callee.enterFunction(f, self, args);
        const ScriptOutcome outcome = callee.run();
        --budget_.callDepth;
        if (outcome == ScriptOutcome::OutOfSteps) throw ActionError("out of steps in a called function");
        return callee.returned();
    }

    void gotoFrame2(PayloadReader& in) {
        const uint8_t flags = in.u8();
        const int bias = (flags & 0x02) ? in.u16() : 0;
        const bool play = flags & 0x01;
        const ActionValue frame = pop();
        Clip* c = target();
        std::string label;
        if (frame.kind() == ActionValue::Kind::String) {
            label = frame.toString(version_);
            // "path:frame" addresses another clip.
            if (const size_t colon = label.rfind(':'); colon != std::string::npos) {
                c = clipNamed(label.substr(0, colon));
                label = label.substr(colon + 1);
            }
        }
        if (!c) return;
        double number = frame.kind() == ActionValue::Kind::String ? ActionValue::parseNumber(label, version_)
                                                                  : frame.toNumber(version_);
        bool moved = false;
        if (std::isfinite(number)) {
            // Scripts number frames from 1.
            number = std::trunc(number) + bias;
            if (number >= 1) {
                c->gotoFrame(static_cast<size_t>(std::min(number, 1e9)) - 1);
                moved = true;
            }
        } else if (!label.empty()) {
            moved = c->gotoLabel(label);
        }
        if (moved || std::isfinite(number)) {
            if (play) {
                c->play();
            } else {
                c->stop();
            }
        }
    }

    void call(const ActionValue& frame) {
        std::string text = frame.toString(version_);
        Clip* c = target();
        if (const size_t colon = text.rfind(':'); colon != std::string::npos) {
            c = clipNamed(text.substr(0, colon));
            text = text.substr(colon + 1);
        }
        if (!c || c->frameCount() == 0) return;
        std::optional<size_t> index;
        const double n = ActionValue::parseNumber(text, version_);
        if (std::isfinite(n)) {
            if (n >= 1 && n <= static_cast<double>(c->frameCount())) index = static_cast<size_t>(n) - 1;
        } else {
            index = c->frameOfLabel(text);
        }
        if (!index) return;
        if (budget_.callDepth >= movie_.limits().maxCallDepth) throw ActionError("calls nested too deeply");
        ++budget_.callDepth;
        for (const ControlTag& tag : c->timeline().frames[*index].tags) {
            if (const auto* action = std::get_if<DoAction>(&tag); action && action->actions) {
                const ScriptOutcome outcome = runActions(action->actions, *c, budget_);
                if (outcome == ScriptOutcome::OutOfSteps) {
                    --budget_.callDepth;
                    throw ActionError("out of steps in a called frame");
                }
            }
        }
        --budget_.callDepth;
    }

    // --- variables ---

    // "name", "path:name" or "path.name". Names that start with "_" and name a property read the
    // property.
    void defineLocal(const std::string& name, ActionValue value) {
        if (locals_.size() >= movie_.limits().maxVariablesPerClip && !locals_.count(name)) {
            throw ActionError("too many local variables");
        }
        locals_[name] = std::move(value);
    }

    std::pair<Clip*, std::string> variableOwner(const std::string& name) {
        if (const size_t colon = name.rfind(':'); colon != std::string::npos) {
            return {clipNamed(name.substr(0, colon)), name.substr(colon + 1)};
        }
        if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0 && dot + 1 < name.size()) {
            if (Clip* c = clipNamed(name.substr(0, dot))) return {c, name.substr(dot + 1)};
        }
        Clip* c = target();
        return {c ? c : base_.get(), name};
    }

    std::optional<ActionValue> getVariableIfSet(const std::string& name) {
        if (const auto it = locals_.find(name); it != locals_.end()) return it->second;
        auto [clip, key] = variableOwner(name);
        if (!clip) return std::nullopt;
        const auto it = clip->variables().find(key);
        if (it != clip->variables().end()) return it->second;
        return std::nullopt;
    }

    ActionValue getVariable(const std::string& name) {
        if (auto v = getVariableIfSet(name)) return *v;
        auto [clip, key] = variableOwner(name);
        if (!clip) return {};
        if (!key.empty() && key[0] == '_') {
            if (const auto index = clipPropertyIndex(key)) return *clipProperty(*clip, *index);
        }
        // A name that leads to a clip ("_root", "mp3_mc", "_parent") reads as that clip.
        if (Clip* c = resolveTarget(*clip, key); c && !key.empty()) return ActionValue::clip(c->handle());
        return {};
    }

    void setVariable(const std::string& name, ActionValue value) {
        if (const auto it = locals_.find(name); it != locals_.end()) {
            it->second = std::move(value);
            return;
        }
        auto [clip, key] = variableOwner(name);
        if (!clip) return;
        if (!key.empty() && key[0] == '_') {
            if (const auto index = clipPropertyIndex(key)) {
                setClipProperty(*clip, *index, value);
                return;
            }
        }
        auto& vars = clip->variables();
        if (vars.size() >= movie_.limits().maxVariablesPerClip && !vars.count(key)) {
            throw ActionError("too many variables in one clip");
        }
        vars[key] = std::move(value);
    }

    // --- the stack ---

    void push(PayloadReader& in) {
        while (!in.atEnd()) {
            const uint8_t type = in.u8();
            switch (type) {
            case 0: pushValue(ActionValue::string(in.string())); break;
            case 1: pushValue(ActionValue::number(in.f32())); break;
            case 2: pushValue(ActionValue::null()); break;
            case 3: pushValue(ActionValue::undefined()); break;
            case 4: {
                const uint8_t reg = in.u8();
                pushValue(reg < registers_.size() ? registers_[reg] : ActionValue::undefined());
                break;
            }
            case 5: pushValue(ActionValue::boolean(in.u8() != 0)); break;
            case 6: pushValue(ActionValue::number(in.f64())); break;
            case 7: pushValue(ActionValue::number(static_cast<int32_t>(in.u32()))); break;
            case 8: pushConstant(in.u8()); break;
            case 9: pushConstant(in.u16()); break;
            default: throw ActionError("unknown value type " + std::to_string(type) + " in Push");
            }
        }
    }

    void pushConstant(size_t index) {
        pushValue(index < constants_.size() ? ActionValue::string(constants_[index]) : ActionValue::undefined());
    }

    void pushValue(ActionValue v) {
        if (stack_.size() >= movie_.limits().maxStackSize) throw ActionError("script stack overflow");
        stack_.push_back(std::move(v));
    }

    // An empty stack reads as undefined, as the format's players do.
    ActionValue pop() {
        if (stack_.empty()) return {};
        ActionValue v = std::move(stack_.back());
        stack_.pop_back();
        return v;
    }
    double popNumber() { return pop().toNumber(version_); }
    bool popBool() { return pop().toBoolean(version_); }
    std::string popString() { return pop().toString(version_); }

    // SWF 4 players push 1 and 0 for truth; SWF 5 on, booleans.
    void pushFlag(bool flag) {
        pushValue(version_ < 5 ? ActionValue::number(flag ? 1.0 : 0.0) : ActionValue::boolean(flag));
    }

    template <typename F>
    void binaryNumber(F f) {
        const double b = popNumber(), a = popNumber();
        pushValue(ActionValue::number(f(a, b)));
    }

    template <typename F>
    void binaryInt(F f) {
        const int32_t b = toInt32(popNumber()), a = toInt32(popNumber());
        pushValue(ActionValue::number(f(a, b)));
    }

    std::string joined(const std::string& a, const std::string& b) {
        if (a.size() + b.size() > movie_.limits().maxStringBytes) throw ActionError("text in a script grew too long");
        return a + b;
    }

    void stringExtract() {
        const double count = popNumber();
        const double index = popNumber();  // from 1
        const std::string s = popString();
        if (!std::isfinite(count) || !std::isfinite(index)) {
            pushValue(ActionValue::string(""));
            return;
        }
        const double from = std::max(0.0, std::trunc(index) - 1);
        const double n = std::max(0.0, std::trunc(count));
        if (from >= static_cast<double>(s.size())) {
            pushValue(ActionValue::string(""));
            return;
        }
        pushValue(ActionValue::string(s.substr(static_cast<size_t>(from), static_cast<size_t>(std::min(n, 1e9)))));
    }

    bool less(const ActionValue& a, const ActionValue& b) {
        if (a.kind() == ActionValue::Kind::String && b.kind() == ActionValue::Kind::String) {
            return a.toString(version_) < b.toString(version_);
        }
        return a.toNumber(version_) < b.toNumber(version_);
    }

    bool strictEquals(const ActionValue& a, const ActionValue& b) {
        if (a.kind() != b.kind()) return false;
        switch (a.kind()) {
        case ActionValue::Kind::Undefined:
        case ActionValue::Kind::Null: return true;
        case ActionValue::Kind::String: return a.toString(version_) == b.toString(version_);
        case ActionValue::Kind::Clip: return a.asClip() == b.asClip();
        case ActionValue::Kind::Function: return a.asFunction() == b.asFunction();
        default: return a.toNumber(version_) == b.toNumber(version_);
        }
    }

    bool looseEquals(const ActionValue& a, const ActionValue& b) {
        using K = ActionValue::Kind;
        const bool aNothing = a.kind() == K::Undefined || a.kind() == K::Null;
        const bool bNothing = b.kind() == K::Undefined || b.kind() == K::Null;
        if (aNothing || bNothing) return aNothing && bNothing;
        if (a.kind() == b.kind()) return strictEquals(a, b);
        return a.toNumber(version_) == b.toNumber(version_);
    }

    static std::string typeOf(const ActionValue& v) {
        switch (v.kind()) {
        case ActionValue::Kind::Undefined: return "undefined";
        case ActionValue::Kind::Null: return "null";
        case ActionValue::Kind::Boolean: return "boolean";
        case ActionValue::Kind::Number: return "number";
        case ActionValue::Kind::String: return "string";
        case ActionValue::Kind::Clip: return "movieclip";
        case ActionValue::Kind::Function: return "function";
        }
        return "undefined";
    }

    ActionBytes owner_;
    std::span<const uint8_t> code_;
    size_t codeOffset_ = 0;  // where code_ starts within *owner_
    ClipHandle base_;
    ClipHandle target_;
    bool targetValid_ = true;
    MovieInstance& movie_;
    ScriptBudget& budget_;
    const int version_;
    std::vector<ActionValue> stack_;
    std::vector<std::string> constants_;
    std::vector<ActionValue> registers_ = std::vector<ActionValue>(4);
    bool inFunction_ = false;
    std::map<std::string, ActionValue> locals_;
    ActionValue returned_;
};

}  // namespace

ScriptOutcome runActions(const ActionBytes& code, Clip& clip, ScriptBudget& budget) {
    if (!code || code->empty()) return ScriptOutcome::Finished;
    return Interpreter(code, 0, code->size(), clip, budget).run();
}

ScriptOutcome runFunction(const ScriptFunction& f, Clip& self, ScriptBudget& budget) {
    if (!f.code || f.end > f.code->size() || f.begin > f.end) return ScriptOutcome::Failed;
    if (budget.callDepth >= self.movie().limits().maxCallDepth) return ScriptOutcome::Failed;
    ++budget.callDepth;
    Interpreter callee(f.code, f.begin, f.end, self, budget);
    callee.enterFunction(f, self, {});
    const ScriptOutcome outcome = callee.run();
    --budget.callDepth;
    return outcome;
}

}  // namespace velmora::swf
