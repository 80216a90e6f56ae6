// The script engine: a million-iteration summing loop as the authoring tool compiles it, property
// reads and writes, method calls on a class instance, string building, and 100,000 objects built
// and sorted, each as a movie's first-frame script.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

namespace {

// Just enough of an assembler: constant-pool pushes, numbers, actions and backward jumps.
class Code {
public:
    Code& pool(const std::vector<std::string>& names) {
        std::vector<uint8_t> p{static_cast<uint8_t>(names.size()), 0};
        for (const auto& n : names) {
            p.insert(p.end(), n.begin(), n.end());
            p.push_back(0);
        }
        return record(0x88, p);
    }
    Code& c(uint8_t index) { return record(0x96, {8, index}); }  // a pooled constant
    Code& i(int32_t v) {
        std::vector<uint8_t> p{7};
        for (int s = 0; s < 32; s += 8) p.push_back(static_cast<uint8_t>(v >> s));
        return record(0x96, p);
    }
    Code& op(uint8_t code) {
        bytes.push_back(code);
        return *this;
    }
    size_t here() const { return bytes.size(); }
    Code& jumpBack(uint8_t code, size_t to) {
        const int16_t offset = static_cast<int16_t>(static_cast<int>(to) - static_cast<int>(bytes.size() + 5));
        return record(code, {static_cast<uint8_t>(offset), static_cast<uint8_t>(offset >> 8)});
    }
    // A forward branch whose offset is patched by land().
    size_t branchForward(uint8_t code) {
        record(code, {0, 0});
        return bytes.size();
    }
    void land(size_t after) {
        const auto offset = static_cast<int16_t>(bytes.size() - after);
        bytes[after - 2] = static_cast<uint8_t>(offset);
        bytes[after - 1] = static_cast<uint8_t>(offset >> 8);
    }
    Code& record(uint8_t code, const std::vector<uint8_t>& payload) {
        bytes.push_back(code);
        bytes.push_back(static_cast<uint8_t>(payload.size()));
        bytes.push_back(static_cast<uint8_t>(payload.size() >> 8));
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        return *this;
    }
    std::vector<uint8_t> bytes;
};

// for (i = 0; i < n; i++) { body }, with i as pooled constant `iName`.
template <typename Body>
void loop(Code& c, uint8_t iName, int n, Body body) {
    c.c(iName).i(0).op(0x1D);
    const size_t top = c.here();
    c.c(iName).op(0x1C).i(n).op(0x48).op(0x12);  // !(i < n)
    const size_t exit = c.branchForward(0x9D);
    body();
    c.c(iName).c(iName).op(0x1C).op(0x50).op(0x1D);  // i = i + 1
    c.jumpBack(0x99, top);
    c.land(exit);
}

// version: the movie's SWF version; names are looked up case-insensitively before 7.
void runScript(benchmark::State& state, const Code& code, double actionsPerRun, int version = 10) {
    velmora::test::SwfWriter swf(version);
    swf.doAction(code.bytes).showFrame();
    const std::string path = "/tmp/velmora_script_bench_" + std::to_string(::getpid()) + ".swf";
    swf.writeFile(path);
    auto movie = velmora::swf::loadMovieFile(path);
    for (auto _ : state) {
        velmora::swf::MovieInstance instance(movie);
        benchmark::DoNotOptimize(instance.messages().size());
    }
    state.counters["actions/s"] = benchmark::Counter(actionsPerRun * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_SumLoop(benchmark::State& state) {
    // sum = 0; for (i = 0; i < 1000000; i++) sum += i;  on timeline variables
    Code c;
    c.pool({"sum", "i"});
    c.c(0).i(0).op(0x1D);
    loop(c, 1, 1'000'000, [&] { c.c(0).c(0).op(0x1C).c(1).op(0x1C).op(0x47).op(0x1D); });
    runScript(state, c, 1e6 * 17, static_cast<int>(state.range(0)));
}

void BM_PropertyReadWrite(benchmark::State& state) {
    // o = new Object(); for (i...) o.x = o.x + i;
    Code c;
    c.pool({"o", "i", "x", "Object"});
    c.c(0).i(0).c(3).op(0x40).op(0x1D);
    c.c(0).op(0x1C).c(2).i(0).op(0x4F);
    loop(c, 1, 200'000, [&] { c.c(0).op(0x1C).c(2).c(0).op(0x1C).c(2).op(0x4E).c(1).op(0x1C).op(0x47).op(0x4F); });
    runScript(state, c, 2e5 * 22, static_cast<int>(state.range(0)));
}

void BM_MethodCalls(benchmark::State& state) {
    // function C() {}  C.prototype.f = function(a) { return a + 1; }; o = new C(); for (i...) o.f(i);
    Code c;
    c.pool({"C", "prototype", "f", "o", "i", "a"});
    c.record(0x9B, {'C', 0, 0, 0, 0, 0});
    Code body;
    body.c(5).op(0x1C).i(1).op(0x47).op(0x3E);
    c.c(0).op(0x1C).c(1).op(0x4E).c(2);
    std::vector<uint8_t> fn{0, 1, 0, 'a', 0, static_cast<uint8_t>(body.bytes.size()), 0};
    c.record(0x9B, fn);
    c.bytes.insert(c.bytes.end(), body.bytes.begin(), body.bytes.end());
    c.op(0x4F);
    c.c(3).i(0).c(0).op(0x40).op(0x1D);
    loop(c, 4, 200'000, [&] { c.c(4).op(0x1C).i(1).c(3).op(0x1C).c(2).op(0x52).op(0x17); });
    runScript(state, c, 2e5 * 22, static_cast<int>(state.range(0)));
}

void BM_StringBuilding(benchmark::State& state) {
    // s = ""; for (i...) s = s + "x";   (100,000 characters)
    Code c;
    c.pool({"s", "i", "", "x"});
    c.c(0).c(2).op(0x1D);
    loop(c, 1, 100'000, [&] { c.c(0).c(0).op(0x1C).c(3).op(0x47).op(0x1D); });
    runScript(state, c, 1e5 * 17);
}

// --- arrays: building 100,000 objects and sorting them ---

// a = []; for (i...) a.push({name: "n" + (i * 7919) % 100000, age: i % 97});  then `after`.
// The names come in a scrambled order, the ages with many ties.
template <typename After>
Code objectsThen(After after) {
    Code c;
    c.pool({"a", "i", "name", "n", "age", "push", "sortOn"});
    c.c(0).i(0).op(0x42).op(0x1D);
    loop(c, 1, 100'000, [&] {
        c.c(2).c(3).c(1).op(0x1C).i(7919).op(0x0C).i(100'000).op(0x3F).op(0x47);
        c.c(4).c(1).op(0x1C).i(97).op(0x3F);
        c.i(2).op(0x43).i(1).c(0).op(0x1C).c(5).op(0x52).op(0x17);
    });
    after(c);
    return c;
}

void BM_ObjectsBuilt(benchmark::State& state) {
    runScript(state, objectsThen([](Code&) {}), 1e5 * 30);
}

void BM_ObjectsBuiltAndSortedOnName(benchmark::State& state) {
    // ...; a.sortOn("name");
    runScript(state, objectsThen([](Code& c) { c.c(2).i(1).c(0).op(0x1C).c(6).op(0x52).op(0x17); }), 1e5 * 30);
}

void BM_ObjectsBuiltAndSortedOnAgeThenName(benchmark::State& state) {
    // ...; a.sortOn(["age", "name"], Array.NUMERIC);   ties of age broken by name
    runScript(state, objectsThen([](Code& c) {
        c.i(16).c(2).c(4).i(2).op(0x42).i(2).c(0).op(0x1C).c(6).op(0x52).op(0x17);
    }), 1e5 * 30);
}

void BM_NumbersSorted(benchmark::State& state) {
    // a = []; for (i...) a.push((i * 7919) % 100000); a.sort(Array.NUMERIC);
    Code c;
    c.pool({"a", "i", "push", "sort"});
    c.c(0).i(0).op(0x42).op(0x1D);
    loop(c, 1, 100'000, [&] { c.c(1).op(0x1C).i(7919).op(0x0C).i(100'000).op(0x3F).i(1).c(0).op(0x1C).c(2).op(0x52).op(0x17); });
    c.i(16).i(1).c(0).op(0x1C).c(3).op(0x52).op(0x17);
    runScript(state, c, 1e5 * 20);
}

void BM_StringJoined(benchmark::State& state) {
    // parts = []; for (i...) parts.push("x"); s = parts.join("");   (100,000 characters)
    Code c;
    c.pool({"parts", "i", "push", "x", "s", "join", ""});
    c.c(0).i(0).op(0x42).op(0x1D);
    loop(c, 1, 100'000, [&] { c.c(3).i(1).c(0).op(0x1C).c(2).op(0x52).op(0x17); });
    c.c(4).c(6).i(1).c(0).op(0x1C).c(5).op(0x52).op(0x1D);
    runScript(state, c, 1e5 * 17);
}

}  // namespace

// The argument is the movie's SWF version: 6 looks names up whatever their case, 10 as written.
BENCHMARK(BM_SumLoop)->Arg(10)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PropertyReadWrite)->Arg(10)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MethodCalls)->Arg(10)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringBuilding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectsBuilt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectsBuiltAndSortedOnName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ObjectsBuiltAndSortedOnAgeThenName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NumbersSorted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringJoined)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
