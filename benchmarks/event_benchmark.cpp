// Clip events: one tick of a movie with 1,000 clips on stage, each with an onEnterFrame function
// that counts, against the same stage with no handlers (what the clock costs by itself) and with
// the handlers placed as onClipEvent(enterFrame).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>

#include "checked_movie.h"
#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

namespace {

using velmora::test::Action;
using velmora::test::Avm1Assembler;
using velmora::test::PushInt;

constexpr int kClips = 1000;

enum class Handlers { None, Functions, ClipEvents };

// n = n + 1, on the clip's timeline.
Avm1Assembler count() {
    Avm1Assembler a;
    a.push({"n", "n"}).op(Action::GetVariable).push({PushInt{1}}).op(Action::Add2).op(Action::SetVariable);
    return a;
}

std::shared_ptr<const velmora::swf::Movie> stage(Handlers handlers) {
    velmora::test::SwfWriter swf(10);
    velmora::test::SwfTagList empty;
    empty.showFrame();
    swf.defineSprite(10, empty);
    for (int i = 0; i < kClips; ++i) {
        velmora::test::WriterPlacement p{.depth = static_cast<uint16_t>(i + 1), .characterId = 10, .name = "c" + std::to_string(i)};
        if (handlers == Handlers::ClipEvents) p.clipActions = {{.events = 1u << 1, .actions = count().doActionBody()}};
        swf.placeObject2(p);
    }
    if (handlers == Handlers::Functions) {
        // function f() { this.n = this.n + 1; }  for (i = 0; i < 1000; i++) eval("c" + i).onEnterFrame = f;
        Avm1Assembler body;
        body.push({"this"}).op(Action::GetVariable).push({"n", "this"}).op(Action::GetVariable).push({"n"});
        body.op(Action::GetMember).push({PushInt{1}}).op(Action::Add2).op(Action::SetMember);
        Avm1Assembler script;
        script.defineFunction("f", {}, body);
        script.push({"i", PushInt{0}}).op(Action::SetVariable);
        auto top = script.label(), done = script.label();
        script.bind(top).push({"i"}).op(Action::GetVariable).push({PushInt{kClips}}).op(Action::Less2).op(Action::Not);
        script.branchIf(done);
        script.push({"c", "i"}).op(Action::GetVariable).op(Action::Add2).op(Action::GetVariable);
        script.push({"onEnterFrame", "f"}).op(Action::GetVariable).op(Action::SetMember);
        script.push({"i", "i"}).op(Action::GetVariable).op(Action::Increment).op(Action::SetVariable);
        script.jump(top).bind(done);
        swf.doAction(script.doActionBody());
    }
    swf.showFrame();
    const std::string path = "/tmp/velmora_event_bench_" + std::to_string(::getpid()) + ".swf";
    swf.writeFile(path);
    auto movie = velmora::swf::loadMovieFile(path);
    ::unlink(path.c_str());
    return velmora::bench::checkedMovie(movie, "events");
}

void tickStage(benchmark::State& state, Handlers handlers) {
    velmora::swf::MovieInstance::Options options;
    options.virtualClock = true;
    velmora::swf::MovieInstance instance(stage(handlers), options);
    for (auto _ : state) instance.tick();
    state.counters["handlers/s"] = benchmark::Counter(
        handlers == Handlers::None ? 0.0 : double(kClips) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_TickWithoutHandlers(benchmark::State& state) { tickStage(state, Handlers::None); }
void BM_TickWithOnEnterFrame(benchmark::State& state) { tickStage(state, Handlers::Functions); }
void BM_TickWithClipEventEnterFrame(benchmark::State& state) { tickStage(state, Handlers::ClipEvents); }

}  // namespace

BENCHMARK(BM_TickWithoutHandlers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickWithOnEnterFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickWithClipEventEnterFrame)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
