// The movie clip API: a first-frame script attaching 1,000 clips of a library symbol, as
// courseware building a screen of items does.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "checked_movie.h"
#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

namespace {

// for (i = 0; i < n; i++) _root.attachMovie("box", "c" + i, i);
std::vector<uint8_t> attachLoop(int n) {
    using velmora::test::Action;
    using velmora::test::PushConstant;
    using velmora::test::PushInt;
    velmora::test::Avm1Assembler a;
    a.constantPool({"i", "box", "c", "attachMovie", "_root"});
    const PushConstant i{0};
    a.push({i, PushInt{0}}).op(Action::SetVariable);
    const auto top = a.label(), done = a.label();
    a.bind(top).push({i}).op(Action::GetVariable).push({PushInt{n}}).op(Action::Less2).op(Action::Not).branchIf(done);
    a.push({i}).op(Action::GetVariable);                                                // depth i
    a.push({PushConstant{2}, i}).op(Action::GetVariable).op(Action::Add2);              // "c" + i
    a.push({PushConstant{1}, PushInt{3}, PushConstant{4}}).op(Action::GetVariable);     // "box", 3 arguments, _root
    a.push({PushConstant{3}}).op(Action::CallMethod).op(Action::Pop);
    a.push({i, i}).op(Action::GetVariable).push({PushInt{1}}).op(Action::Add2).op(Action::SetVariable);
    a.jump(top).bind(done);
    return a.doActionBody();
}

void BM_AttachMovie(benchmark::State& state) {
    const int clips = static_cast<int>(state.range(0));
    velmora::test::SwfWriter swf(10);
    swf.defineRectangle(1, 0, 0, 200, 200, velmora::test::Color{255, 0, 0});
    velmora::test::SwfTagList box;
    box.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(2, box);
    swf.exportAssets({{2, "box"}});
    swf.doAction(attachLoop(clips)).showFrame();
    const std::string path = "/tmp/velmora_clip_bench_" + std::to_string(::getpid()) + ".swf";
    swf.writeFile(path);
    auto movie = velmora::bench::checkedMovie(velmora::swf::loadMovieFile(path), "attachMovie");
    ::unlink(path.c_str());
    for (auto _ : state) {
        velmora::swf::MovieInstance instance(movie);
        benchmark::DoNotOptimize(instance.root().displayList().size());
        if (instance.root().displayList().size() != static_cast<size_t>(clips)) state.SkipWithError("clips missing");
    }
    state.counters["clips/s"] = benchmark::Counter(double(clips) * state.iterations(), benchmark::Counter::kIsRate);
}
// 0 clips: the movie instance and its script engine alone, to subtract.
BENCHMARK(BM_AttachMovie)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
