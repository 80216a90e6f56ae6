// The movie clip API: a first-frame script attaching 1,000 clips of a library symbol, as
// courseware building a screen of items does.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

namespace {

std::vector<uint8_t> record(uint8_t code, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out{code, static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8)};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

std::vector<uint8_t> pushConstant(uint8_t index) { return record(0x96, {8, index}); }

std::vector<uint8_t> pushInt(int32_t v) {
    std::vector<uint8_t> p{7};
    for (int s = 0; s < 32; s += 8) p.push_back(static_cast<uint8_t>(v >> s));
    return record(0x96, p);
}

// for (i = 0; i < n; i++) _root.attachMovie("box", "c" + i, i);
std::vector<uint8_t> attachLoop(int n) {
    std::vector<uint8_t> c;
    std::vector<uint8_t> pool{5, 0};
    for (const std::string name : {"i", "box", "c", "attachMovie", "_root"}) {
        pool.insert(pool.end(), name.begin(), name.end());
        pool.push_back(0);
    }
    append(c, record(0x88, pool));
    append(c, pushConstant(0));
    append(c, pushInt(0));
    c.push_back(0x1D);
    const size_t top = c.size();
    append(c, pushConstant(0));
    c.push_back(0x1C);
    append(c, pushInt(n));
    c.push_back(0x48);  // i < n
    c.push_back(0x12);  // not
    append(c, record(0x9D, {0, 0}));
    const size_t exit = c.size();
    append(c, pushConstant(0));  // depth i
    c.push_back(0x1C);
    append(c, pushConstant(2));  // "c" + i
    append(c, pushConstant(0));
    c.push_back(0x1C);
    c.push_back(0x47);
    append(c, pushConstant(1));  // "box"
    append(c, pushInt(3));
    append(c, pushConstant(4));
    c.push_back(0x1C);
    append(c, pushConstant(3));
    c.push_back(0x52);  // CallMethod
    c.push_back(0x17);  // Pop
    append(c, pushConstant(0));  // i = i + 1
    append(c, pushConstant(0));
    c.push_back(0x1C);
    append(c, pushInt(1));
    c.push_back(0x47);
    c.push_back(0x1D);
    const auto back = static_cast<int16_t>(static_cast<int>(top) - static_cast<int>(c.size() + 5));
    append(c, record(0x99, {static_cast<uint8_t>(back), static_cast<uint8_t>(back >> 8)}));
    const auto forward = static_cast<int16_t>(c.size() - exit);
    c[exit - 2] = static_cast<uint8_t>(forward);
    c[exit - 1] = static_cast<uint8_t>(forward >> 8);
    c.push_back(0);
    return c;
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
    auto movie = velmora::swf::loadMovieFile(path);
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
