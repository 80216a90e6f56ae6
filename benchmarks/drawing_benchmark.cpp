// The drawing API: a frame script that clears the root's drawing and draws 10,000 line segments
// (a zig-zag over the stage, one lineTo each), timed as script time (one tick of the movie) and as
// render time (the 800 x 600 stage drawn with what the script drew).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <string>
#include <vector>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"

namespace {

constexpr int kSegments = 10'000;

// Just enough of an assembler: constant-pool pushes, integers, actions, backward jumps.
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
    Code& c(uint8_t index) { return record(0x96, {8, index}); }
    Code& i(int32_t v) {
        std::vector<uint8_t> p{7};
        for (int s = 0; s < 32; s += 8) p.push_back(static_cast<uint8_t>(v >> s));
        return record(0x96, p);
    }
    Code& op(uint8_t code) {
        bytes.push_back(code);
        return *this;
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

// _root.clear(); _root.lineStyle(1, 0x336699, 100); _root.moveTo(0, 0);
// for (i = 0; i < 10000; i++) _root.lineTo(i % 800, (i * 7) % 600);
std::vector<uint8_t> drawingScript() {
    Code c;
    c.pool({"_root", "clear", "lineStyle", "moveTo", "lineTo", "i"});
    auto callRoot = [&](uint8_t method, int argc) { c.i(argc).c(0).op(0x1C).c(method).op(0x52).op(0x17); };
    callRoot(1, 0);
    c.i(100).i(0x336699).i(1);
    callRoot(2, 3);
    c.i(0).i(0);
    callRoot(3, 2);
    c.c(5).i(0).op(0x1D);
    const size_t top = c.bytes.size();
    c.c(5).op(0x1C).i(kSegments).op(0x48).op(0x12);  // !(i < n)
    c.record(0x9D, {0, 0});
    const size_t exit = c.bytes.size();
    c.c(5).op(0x1C).i(7).op(0x0C).i(600).op(0x3F);  // y
    c.c(5).op(0x1C).i(800).op(0x3F);                // x
    callRoot(4, 2);
    c.c(5).c(5).op(0x1C).op(0x50).op(0x1D);  // i++
    const auto back = static_cast<int16_t>(int(top) - int(c.bytes.size() + 5));
    c.record(0x99, {static_cast<uint8_t>(back), static_cast<uint8_t>(back >> 8)});
    const auto forward = static_cast<int16_t>(c.bytes.size() - exit);
    c.bytes[exit - 2] = static_cast<uint8_t>(forward);
    c.bytes[exit - 1] = static_cast<uint8_t>(forward >> 8);
    return c.bytes;
}

// An 800 x 600 movie of two frames, both running the drawing script.
std::shared_ptr<const velmora::swf::Movie> drawingMovie() {
    velmora::test::SwfWriter swf(8);
    swf.stageSizePixels(800, 600);
    const std::vector<uint8_t> script = drawingScript();
    swf.doAction(script).showFrame();
    swf.doAction(script).showFrame();
    const std::vector<uint8_t> bytes = swf.bytes();
    return velmora::swf::parseMovie(bytes);
}

void BM_DrawingScript(benchmark::State& state) {
    velmora::swf::MovieInstance instance(drawingMovie());
    for (auto _ : state) instance.tick();
    state.counters["segments/s"] =
        benchmark::Counter(double(kSegments) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawingScript)->Unit(benchmark::kMillisecond);

// state.range(0): 1 draws a new drawing every frame (paths built again), 0 the same one again.
void BM_DrawingRender(benchmark::State& state) {
    auto movie = drawingMovie();
    velmora::swf::MovieInstance instance(movie);
    velmora::swf::RenderResources resources;
    resources.setMovie(movie);
    velmora::swf::StageRenderer renderer(resources);
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        if (state.range(0)) {
            state.PauseTiming();
            instance.tick();
            state.ResumeTiming();
        }
        QPainter painter(&image);
        renderer.render(painter, instance.root(), movie->stage, image.size(), Qt::white);
    }
}
BENCHMARK(BM_DrawingRender)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
