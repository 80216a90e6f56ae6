// How fast bytes become a Movie: small fixture movies, a generated 10 MB lesson in each
// compression, and the sample lessons when they are present.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"

namespace {

using velmora::test::BitWriter;
using velmora::test::SwfTagList;
using velmora::test::SwfWriter;

// A shape of `edges` short straight and curved edges, as traced artwork has.
std::vector<uint8_t> tracedShape(uint16_t id, int edges) {
    BitWriter w;
    w.u16(id);
    w.rect(-2000, 2000, -2000, 2000);
    w.u8(2);
    w.u8(0x00), w.rgba({200, 30, 30, 255});
    w.u8(0x00), w.rgba({30, 30, 200, 255});
    w.u8(1);
    w.u16(20), w.rgba({0, 0, 0, 255});
    w.ub(2, 4), w.ub(1, 4);
    w.ub(0, 1), w.ub(0, 1), w.ub(1, 1), w.ub(1, 1), w.ub(0, 1), w.ub(1, 1);
    w.ub(12, 5), w.sb(-1000, 12), w.sb(-1000, 12);
    w.ub(1, 2), w.ub(2, 2), w.ub(1, 1);
    for (int i = 0; i < edges; ++i) {
        int d = (i % 7) * 3 - 9;
        if (i % 3 == 0) {
            w.ub(1, 1), w.ub(0, 1), w.ub(6, 4);  // curve, 8-bit deltas
            w.sb(d, 8), w.sb(5, 8), w.sb(-d, 8), w.sb(4, 8);
        } else {
            w.ub(1, 1), w.ub(1, 1), w.ub(6, 4), w.ub(1, 1);  // general line
            w.sb(d, 8), w.sb(-3, 8);
        }
    }
    w.ub(0, 6);
    return w.take();
}

// About `targetBytes` of lesson: traced shapes, a sprite per scene, a stream sound block and a few
// moves every frame, lossless bitmaps.
SwfWriter largeLesson(size_t targetBytes) {
    SwfWriter swf(8);
    swf.setBackgroundColor({255, 255, 255});
    uint16_t nextId = 1;
    for (int i = 0; i < 1500; ++i) swf.rawTag(32, tracedShape(nextId++, 300));
    std::vector<uint8_t> pixels(64 << 10);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 31);
    for (int i = 0; i < 24; ++i) {
        BitWriter b;
        b.u16(nextId++);
        b.u8(5), b.u16(128), b.u16(128);
        b.bytes(pixels);
        swf.rawTag(36, b.take());
    }
    swf.soundStreamHead2({.format = 2, .rateCode = 2, .is16Bit = true, .stereo = false}, 1838);
    std::vector<uint8_t> block(600, 0x55);
    int frame = 0;
    while (swf.tagBytes().size() < targetBytes) {
        swf.placeObject2({.depth = static_cast<uint16_t>(1 + frame % 20),
                          .characterId = static_cast<uint16_t>(1 + frame % 1500),
                          .matrix = velmora::test::WriterMatrix{.translateX = frame * 20 % 11000, .translateY = 300}});
        for (int k = 0; k < 4; ++k) {
            swf.placeObject2({.depth = static_cast<uint16_t>(1 + (frame + k) % 20),
                              .move = true,
                              .matrix = velmora::test::WriterMatrix{.scaleX = 1.01, .scaleY = 0.99,
                                                                    .translateX = k * 100, .translateY = frame % 8000}});
        }
        if (frame % 25 == 0) swf.frameLabel("scene" + std::to_string(frame / 25));
        swf.soundStreamBlock(block).showFrame();
        ++frame;
    }
    return swf;
}

SwfWriter smallFixture() {
    SwfTagList clip;
    for (int i = 0; i < 30; ++i) clip.showFrame();
    SwfWriter swf;
    for (uint16_t id = 1; id <= 20; ++id) swf.defineRectangle(id, 0, 0, 100 * id, 50, {255, 0, 0});
    swf.defineSprite(100, clip);
    swf.placeObject2({.depth = 1, .characterId = 100, .name = "mp3_mc"});
    for (int f = 0; f < 100; ++f) swf.placeObject2({.depth = 2, .characterId = static_cast<uint16_t>(1 + f % 20)}).showFrame();
    return swf;
}

void parseBytes(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    velmora::swf::ParseLimits limits;
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
    static const auto bytes = smallFixture().bytes();
    parseBytes(state, bytes);
}
BENCHMARK(BM_ParseSmallFixture);

const SwfWriter& tenMegabyteLesson() {
    static const SwfWriter swf = largeLesson(10u << 20);
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

void BM_ParseSampleLessons(benchmark::State& state) {
    std::vector<std::vector<uint8_t>> files;
    for (const char* dir : {"samples/swf", "samples/mp3"}) {
        std::filesystem::path path = std::filesystem::path(VELMORA_SOURCE_DIR) / dir;
        if (!std::filesystem::is_directory(path)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
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
