// How fast bytes become a Movie: small fixture movies, a generated 10 MB lesson in each
// compression, and the sample lessons when they are present.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/benchmark_movies.h"
#include "swf/format/body_decompression.h"
#include "swf/format/movie_loader.h"

namespace {

using velmora::test::SwfWriter;

void parseBytes(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    velmora::swf::ParseLimits limits;
    // A movie the parser warns about is skipped in part: its figure would measure the wrong thing.
    if (const auto movie = velmora::swf::parseMovie(bytes, limits); !movie->warnings.empty()) {
        state.SkipWithError(("the movie warns: " + movie->warnings.front()).c_str());
        return;
    }
    size_t body = 0;
    for (auto _ : state) {
        auto movie = velmora::swf::parseMovie(bytes, limits);
        body = movie->declaredFileLength;
        benchmark::DoNotOptimize(movie);
    }
    // Throughput in bytes of movie as the player sees it (uncompressed), whatever the file's form.
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(body));
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_ParseSmallFixture(benchmark::State& state) {
    static const auto bytes = velmora::test::smallFixture().bytes();
    parseBytes(state, bytes);
}
BENCHMARK(BM_ParseSmallFixture);

const SwfWriter& tenMegabyteLesson() {
    static const SwfWriter swf = velmora::test::largeLesson(10u << 20);
    return swf;
}

void BM_ParseLesson10MB(benchmark::State& state) {
    auto swf = tenMegabyteLesson();
    swf.compression(static_cast<SwfWriter::Compression>(state.range(0)));
    const auto bytes = swf.bytes();
    state.SetLabel(state.range(0) == 0 ? "FWS" : state.range(0) == 1 ? "CWS" : "ZWS");
    parseBytes(state, bytes);
}
BENCHMARK(BM_ParseLesson10MB)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Inflating the CWS form of the 10 MB lesson alone: with the FWS parse, what a CWS parse should
// cost at best.
void BM_InflateLesson10MB(benchmark::State& state) {
    auto swf = tenMegabyteLesson();
    swf.compression(SwfWriter::Compression::Zlib);
    const auto bytes = swf.bytes();
    const std::span<const uint8_t> stream(bytes.data() + 8, bytes.size() - 8);
    // The body's size as the header declares it, as the loader passes it on.
    const uint64_t declared = (uint64_t(bytes[4]) | uint64_t(bytes[5]) << 8 | uint64_t(bytes[6]) << 16 |
                               uint64_t(bytes[7]) << 24) - 8;
    uint64_t produced = 0;
    for (auto _ : state) {
        auto body = velmora::swf::inflateZlibBody(stream, declared, 256u << 20);
        produced = body.bytes.size();
        benchmark::DoNotOptimize(body);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(produced + 8));
}
BENCHMARK(BM_InflateLesson10MB)->Unit(benchmark::kMillisecond);

void BM_ParseSampleLessons(benchmark::State& state) {
    std::vector<std::vector<uint8_t>> files;
    for (const char* dir : {"samples/swf", "samples/mp3"}) {
        std::filesystem::path path = std::filesystem::path(VELMORA_SOURCE_DIR) / dir;
        if (!std::filesystem::is_directory(path)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            // The folders also hold what lessons read beside them (a quiz's questions).
            if (entry.path().extension() != ".swf") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    if (files.empty()) {
        state.SkipWithError("no sample lessons");
        return;
    }
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const auto& file : files) {
            auto movie = velmora::swf::parseMovie(file);
            bytes += movie->declaredFileLength;
            benchmark::DoNotOptimize(movie);
        }
    }
    state.SetBytesProcessed(bytes);
    state.counters["files"] = static_cast<double>(files.size());
}
BENCHMARK(BM_ParseSampleLessons)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
