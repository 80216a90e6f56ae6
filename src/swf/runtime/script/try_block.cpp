// try / catch / finally: where control goes when a part ends, a value is thrown or a function
// returns inside a try.
#include <algorithm>

#include "swf/runtime/action_reader.h"
#include "swf/runtime/script/interpreter.h"

namespace velmora::swf::script {

void Interpreter::beginTry(Frame& f, std::span<const uint8_t> payload, size_t next) {
    PayloadReader in(payload);
    const uint8_t flags = in.u8();
    const size_t trySize = in.u16();
    const size_t catchSize = in.u16();
    const size_t finallySize = in.u16();
    TryBlock t;
    t.hasCatch = flags & 0x01;
    t.hasFinally = flags & 0x02;
    t.catchInRegister = flags & 0x04;
    if (t.catchInRegister) {
        t.catchRegister = in.u8();
    } else {
        t.catchName = vm_.heap().intern(in.string());
    }
    t.tryStart = next;
    t.tryEnd = next + trySize;
    t.catchEnd = t.tryEnd + catchSize;
    t.finallyEnd = t.catchEnd + finallySize;
    // Parts that claim more than the script holds end with it, as the reference player reads them.
    t.tryEnd = std::min(t.tryEnd, f.end);
    t.catchEnd = std::min(t.catchEnd, f.end);
    t.finallyCut = t.finallyEnd > f.end;
    t.finallyEnd = std::min(t.finallyEnd, f.end);
    t.stackDepth = f.stack.size();
    t.withDepth = f.withs.size();
    f.tries.push_back(t);
}

namespace {

// Drops the with blocks opened inside the part being left.
void unwindWiths(Frame& f, size_t depth) {
    while (f.withs.size() > depth) {
        f.scope = f.withs.back().saved;
        f.withs.pop_back();
    }
}

}  // namespace

bool Interpreter::leaveTryParts(Frame& f) {
    bool moved = false;
    while (!f.tries.empty()) {
        TryBlock& t = f.tries.back();
        const size_t pc = f.pc;
        if (t.part == TryBlock::Part::Try) {
            if (pc >= t.tryStart && pc < t.tryEnd) return moved;
            if (pc == t.tryEnd && t.hasFinally) {
                // The try part ran to its end: the catch part is skipped, the finally part runs.
                f.pc = t.catchEnd;
                t.part = TryBlock::Part::Finally;
                t.then = TryBlock::Then::Continue;
                return true;
            }
            if (pc == t.tryEnd) f.pc = t.finallyEnd;
        } else if (t.part == TryBlock::Part::Catch) {
            if (pc >= t.tryEnd && pc < t.catchEnd) return moved;
            if (pc == t.catchEnd && t.hasFinally) {
                t.part = TryBlock::Part::Finally;
                t.then = TryBlock::Then::Continue;
                return true;
            }
        } else {
            if (pc >= t.catchEnd && pc < t.finallyEnd) return moved;
            if (pc == t.finallyEnd) {
                const TryBlock done = t;
                f.tries.pop_back();
                if (done.then == TryBlock::Then::Rethrow && !done.finallyCut) throw ScriptException{done.pending};
                if (done.then == TryBlock::Then::Return) {
                    f.result = done.pending;
                    f.returning = true;
                    return true;
                }
                moved = true;
                continue;
            }
        }
        // Left by a jump (a break or continue out of the statement), or the part ran off its end:
        // the statement is over.
        unwindWiths(f, t.withDepth);
        f.tries.pop_back();
        moved = true;
    }
    return moved;
}

bool Interpreter::handleThrow(Frame& f, const Value& thrown) {
    // A throw abandons a return in progress (one running its finally parts): the function returns
    // undefined unless a later Return gives it a value.
    f.returning = false;
    f.result = Value();
    while (!f.tries.empty()) {
        TryBlock& t = f.tries.back();
        unwindWiths(f, t.withDepth);
        if (f.stack.size() > t.stackDepth) f.stack.resize(t.stackDepth);
        if (t.part == TryBlock::Part::Try && t.hasCatch) {
            t.part = TryBlock::Part::Catch;
            f.pc = t.tryEnd;
            if (t.catchInRegister) {
                if (t.catchRegister < f.registers.size()) f.registers[t.catchRegister] = thrown;
            } else {
                defineLocal(f, t.catchName, thrown, false);
            }
            return true;
        }
        if (t.part != TryBlock::Part::Finally && t.hasFinally) {
            t.part = TryBlock::Part::Finally;
            t.then = TryBlock::Then::Rethrow;
            t.pending = thrown;
            f.pc = t.catchEnd;
            return true;
        }
        f.tries.pop_back();
    }
    return false;
}

bool Interpreter::returnThroughFinally(Frame& f) {
    while (!f.tries.empty()) {
        TryBlock& t = f.tries.back();
        if (t.part != TryBlock::Part::Finally && t.hasFinally) {
            unwindWiths(f, t.withDepth);
            t.part = TryBlock::Part::Finally;
            t.then = TryBlock::Then::Return;
            t.pending = f.result;
            f.pc = t.catchEnd;
            f.returning = false;
            return true;
        }
        f.tries.pop_back();
    }
    return false;
}

}  // namespace velmora::swf::script
