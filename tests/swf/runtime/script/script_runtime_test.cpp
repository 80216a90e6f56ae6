// The engine inside the movie: timers on the movie's clock, the collector, and the limits that
// keep a hostile script from taking the player with it.
#include <gtest/gtest.h>

#include "../runtime_fixtures.h"
#include "support/avm1_assembler.h"
#include "swf/runtime/script/heap.h"
#include "swf/runtime/script/vm.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;

// A movie of one script and `frames` frames at 10 frames a second, on the virtual clock.
std::unique_ptr<swf::MovieInstance> playScript(const A& code, swf::MovieInstance::Options options = {},
                                               int frames = 1) {
    SwfWriter swf;
    swf.frameRate(10);
    swf.doAction(code.doActionBody()).showFrame();
    for (int i = 1; i < frames; ++i) swf.showFrame();
    options.virtualClock = true;
    return play(swf, options);
}

TEST(ScriptTimers, IntervalsAndTimeoutsFireOnTheMovieClockUntilCleared) {
    // function tick(label) { trace("tick " + label); n++; if (n == 2) clearInterval(id); }
    A tick;
    tick.push({"tick "}).get("label").op(Action::Add2).trace();
    tick.push({"n"}).get("n").op(Action::Increment).op(Action::SetVariable);
    auto keep = tick.label();
    tick.get("n").push({PushInt{2}}).op(Action::Equals2).op(Action::Not).branchIf(keep);
    tick.get("id").push({PushInt{1}, "clearInterval"}).op(Action::CallFunction).op(Action::Pop);
    tick.bind(keep);
    A once;
    once.trace("once");
    A code;
    code.set("n", PushInt{0});
    // id = setInterval(tick, 200, "a"): every second frame at 10 frames a second
    code.push({"id", "a", PushInt{200}}).defineFunction("", {"label"}, tick).push({PushInt{3}, "setInterval"})
        .op(Action::CallFunction).op(Action::SetVariable);
    code.push({PushInt{250}}).defineFunction("", {}, once).push({PushInt{2}, "setTimeout"})
        .op(Action::CallFunction).op(Action::Pop);
    auto movie = playScript(code);
    for (int i = 0; i < 10; ++i) movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"tick a", "once", "tick a"}));
}

TEST(ScriptTimers, AStillMovieWantsItsClockOnlyWhileATimerWaits) {
    // The player's clock sleeps for movies that need no ticks; a pending timeout must wake it.
    A once;
    once.trace("once");
    A code;
    code.push({PushInt{150}}).defineFunction("", {}, once).push({PushInt{2}, "setTimeout"})
        .op(Action::CallFunction).op(Action::Pop);
    auto movie = playScript(code);
    EXPECT_TRUE(movie->needsTicks());
    for (int i = 0; i < 3; ++i) movie->tick();
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"once"});
    EXPECT_FALSE(movie->needsTicks());
}

TEST(ScriptTimers, AnIntervalBehindFiresOnceForEachTimeItWasDueUpToACap) {
    A tick;
    tick.trace("t");
    A code;
    code.push({PushInt{10}}).defineFunction("", {}, tick).push({PushInt{2}, "setInterval"})
        .op(Action::CallFunction).op(Action::Pop);
    auto movie = playScript(code);
    movie->tick();  // 100 ms: due ten times
    EXPECT_EQ(traces(*movie).size(), 10u);
}

TEST(ScriptHeap, CyclesBetweenClosuresAndObjectsAreCollected) {
    // for (i = 0; i < 2000; i++) { o = {}; o.self = o; o.f = function() { return o; }; }
    A body;
    body.push({"o"}).newObject("Object", {}).op(Action::DefineLocal);
    body.get("o").push({"self"}).get("o").op(Action::SetMember);
    A closure;
    closure.get("o").op(Action::Return);
    body.get("o").push({"f"}).defineFunction("", {}, closure).op(Action::SetMember);
    A code;
    code.defineFunction("make", {}, body);
    code.set("i", PushInt{0});
    auto loop = code.label(), done = code.label();
    code.bind(loop).get("i").push({PushInt{2000}}).op(Action::Less2).op(Action::Not).branchIf(done);
    code.callFunction("make", {}).op(Action::Pop);
    code.push({"i"}).get("i").op(Action::Increment).op(Action::SetVariable).jump(loop).bind(done);
    auto movie = playScript(code);
    swf::script::Heap& heap = movie->vm().heap();
    const size_t before = heap.cellCount();
    heap.collect();
    EXPECT_LT(heap.cellCount() * 4, before);
    // What scripts can still reach stays: the timeline's variables and the built-ins.
    movie->runPendingActions();
    EXPECT_EQ(movie->variableText(movie->root(), "i"), "2000");
}

// Each limit ends the script that reaches it with a message; the next script runs.
struct LimitCase {
    const char* what;
    std::function<void(A&)> script;
    std::function<void(swf::MovieInstance::Options&)> options;
};

TEST(ScriptLimits, EachLimitStopsItsScriptAndTheMoviePlaysOn) {
    const std::vector<LimitCase> cases = {
        {"nested too deeply",
         [](A& a) {
             A body;
             body.callFunction("f", {}).op(Action::Return);
             a.defineFunction("f", {}, body).callFunction("f", {});
         },
         {}},
        {"too long",
         [](A& a) {
             auto loop = a.label();
             a.set("s", "xxxxxxxxxxxxxxxx").bind(loop);
             a.push({"s"}).get("s").get("s").op(Action::Add2).op(Action::SetVariable).jump(loop);
         },
         {}},
        {"array grew past",
         [](A& a) { a.push({"a"}).initArray({}).op(Action::SetVariable).get("a").push({"length", PushInt{1 << 30}}).op(Action::SetMember); },
         {}},
        {"ran out of memory",
         [](A& a) {
             // function grow() { var a = null; while (true) a = [a]; }
             A body;
             auto loop = body.label();
             body.push({"a", PushNull{}}).op(Action::DefineLocal).bind(loop);
             body.push({"a"}).get("a").push({PushInt{1}}).op(Action::InitArray).op(Action::SetVariable).jump(loop);
             a.defineFunction("grow", {}, body).callFunction("grow", {});
         },
         [](swf::MovieInstance::Options& o) { o.limits.maxScriptHeapBytes = 4u << 20; }},
        {"does not come to an end",
         [](A& a) {
             auto loop = a.label();
             a.bind(loop).jump(loop);
         },
         [](swf::MovieInstance::Options& o) { o.limits.scriptTimeoutSeconds = 0.3; }},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.what);
        A code;
        c.script(code);
        code.trace("not reached");
        SwfWriter swf;
        swf.doAction(code.doActionBody()).doAction(A().trace("next script").doActionBody()).showFrame();
        swf::MovieInstance::Options options;
        if (c.options) c.options(options);
        auto movie = play(swf, options);
        EXPECT_EQ(traces(*movie), std::vector<std::string>{"next script"});
        EXPECT_TRUE(hasMessageContaining(*movie, c.what));
    }
}

TEST(ScriptLimits, ALongHonestLoopFinishesWithinTheTimeOut) {
    // for (i = 0; i < 100000; i++) sum += i;  on the timeline. (A million iterations take 0.1 s in
    // a release build, see docs/benchmarks.md; this build runs with the sanitizers.)
    A code;
    code.set("sum", PushInt{0}).set("i", PushInt{0});
    auto loop = code.label(), done = code.label();
    code.bind(loop).get("i").push({PushInt{100'000}}).op(Action::Less2).op(Action::Not).branchIf(done);
    code.push({"sum"}).get("sum").get("i").op(Action::Add2).op(Action::SetVariable);
    code.push({"i"}).get("i").op(Action::Increment).op(Action::SetVariable).jump(loop).bind(done);
    code.get("sum").trace();
    // The time-out is what stops a script, never a count of its actions. With the sanitizers and a
    // busy machine the loop may take seconds, so the test gives it the longest time-out a movie can
    // ask for (65535 s) rather than timing it.
    swf::MovieInstance::Options options;
    options.limits.scriptTimeoutSeconds = 65535;
    auto movie = playScript(code, options);
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"4999950000"});
}

}  // namespace
}  // namespace velmora::test
