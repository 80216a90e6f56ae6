// setInterval / clearInterval / setTimeout / clearTimeout, and the timers' run on the movie clock.
#include <algorithm>
#include <cmath>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/core.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

// An interval due several times since the last frame fires once for each, up to this many.
constexpr int kMaxCatchUp = 10;
// Timers one movie may hold; past it, setInterval refuses (answers undefined).
constexpr size_t kMaxTimers = 10'000;

// Both forms: (function, ms, args...) and (object, "method", ms, args...).
Value addTimer(CallContext& cx, std::span<const Value> args, bool repeat) {
    Vm& vm = cx.vm;
    Vm::Timer t;
    size_t next = 0;
    const Value first = arg(args, 0);
    Object* o = first.objectOrNull();
    if (o && o->asFunction()) {
        t.function = first;
        next = 1;
    } else if (o && args.size() >= 3) {
        t.function = first;
        t.self = first;
        t.method = vm.key(cx.toString(args[1]));
        next = 2;
    } else {
        return Value();
    }
    if (vm.timers_.size() >= kMaxTimers) return Value();
    double ms = cx.toNumber(arg(args, next));
    if (!std::isfinite(ms) || ms < 0) ms = 0;
    t.intervalMs = ms;
    if (args.size() > next + 1) t.args.assign(args.begin() + static_cast<std::ptrdiff_t>(next + 1), args.end());
    t.dueMs = vm.movie().movieClockMilliseconds() + ms;
    t.repeat = repeat;
    t.id = vm.nextTimerId_++;
    vm.timers_.push_back(std::move(t));
    return Value::number(vm.timers_.back().id);
}

Value removeTimer(CallContext& cx, std::span<const Value> args) {
    const double id = cx.toNumber(arg(args, 0));
    std::erase_if(cx.vm.timers_, [id](const Vm::Timer& t) { return t.id == id; });
    return Value();
}

Value setIntervalFn(CallContext& cx, const Value&, std::span<const Value> args) { return addTimer(cx, args, true); }
Value setTimeoutFn(CallContext& cx, const Value&, std::span<const Value> args) { return addTimer(cx, args, false); }
Value clearTimerFn(CallContext& cx, const Value&, std::span<const Value> args) { return removeTimer(cx, args); }

}  // namespace

void installTimerBuiltins(Vm& vm) {
    defineMethods(vm, vm.global(),
                  {{"setInterval", setIntervalFn, 2},
                   {"clearInterval", clearTimerFn, 1},
                   {"setTimeout", setTimeoutFn, 2},
                   {"clearTimeout", clearTimerFn, 1}});
}

void Vm::clearTimers() { timers_.clear(); }

void Vm::runTimers(double nowMs) {
    clockMs_ = nowMs;
    // Ids first: a timer's function may add or clear timers, itself included.
    std::vector<int> due;
    for (const Timer& t : timers_) {
        if (t.dueMs <= nowMs) due.push_back(t.id);
    }
    for (int id : due) {
        for (int round = 0; round < kMaxCatchUp; ++round) {
            auto it = std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
            if (it == timers_.end() || it->dueMs > nowMs) break;
            Timer fired = *it;
            if (fired.repeat) {
                // A zero interval still waits for the next frame rather than spinning here.
                it->dueMs += std::max(fired.intervalMs, 1.0);
            } else {
                timers_.erase(it);
            }
            Value function = fired.function;
            if (fired.method) function = getMember(fired.self, fired.method);
            std::vector<Value> keep{function, fired.self};
            keep.insert(keep.end(), fired.args.begin(), fired.args.end());
            tempRoots_.push_back(&keep);
            callTopLevel(keep[0], keep[1], std::span<const Value>(keep).subspan(2));
            tempRoots_.pop_back();
            if (!fired.repeat) break;
        }
        // Still behind after the catch-up: skip to the next due time after now.
        auto it = std::find_if(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
        if (it != timers_.end() && it->dueMs <= nowMs && it->intervalMs > 0) {
            it->dueMs = nowMs + it->intervalMs;
        }
    }
}

}  // namespace velmora::swf::script
