// The drawing API: a frame script that clears the root's drawing and draws 10,000 line segments
// (a zig-zag over the stage, one lineTo each), timed as script time (one tick of the movie) and as
// render time (the 800 x 600 stage drawn with what the script drew).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <string>
#include <vector>

#include "checked_movie.h"
#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"

namespace {

constexpr int kSegments = 10'000;

// _root.clear(); _root.lineStyle(1, 0x336699, 100); _root.moveTo(0, 0);
// for (i = 0; i < 10000; i++) _root.lineTo(i % 800, (i * 7) % 600);
std::vector<uint8_t> drawingScript() {
    using velmora::test::Action;
    using velmora::test::PushConstant;
    using velmora::test::PushInt;
    velmora::test::Avm1Assembler a;
    a.constantPool({"_root", "clear", "lineStyle", "moveTo", "lineTo", "i"});
    const PushConstant root{0}, i{5};
    auto callRoot = [&](uint16_t method, int32_t argc) {
        a.push({PushInt{argc}, root}).op(Action::GetVariable).push({PushConstant{method}}).op(Action::CallMethod)
            .op(Action::Pop);
    };
    callRoot(1, 0);
    a.push({PushInt{100}, PushInt{0x336699}, PushInt{1}});
    callRoot(2, 3);
    a.push({PushInt{0}, PushInt{0}});
    callRoot(3, 2);
    a.push({i, PushInt{0}}).op(Action::SetVariable);
    const auto top = a.label(), done = a.label();
    a.bind(top).push({i}).op(Action::GetVariable).push({PushInt{kSegments}}).op(Action::Less2).op(Action::Not);
    a.branchIf(done);
    a.push({i}).op(Action::GetVariable).push({PushInt{7}}).op(Action::Multiply).push({PushInt{600}}).op(Action::Modulo);
    a.push({i}).op(Action::GetVariable).push({PushInt{800}}).op(Action::Modulo);
    callRoot(4, 2);
    a.push({i, i}).op(Action::GetVariable).op(Action::Increment).op(Action::SetVariable);
    a.jump(top).bind(done);
    return a.doActionBody();
}

// An 800 x 600 movie of two frames, both running the drawing script.
std::shared_ptr<const velmora::swf::Movie> drawingMovie() {
    velmora::test::SwfWriter swf(8);
    swf.stageSizePixels(800, 600);
    const std::vector<uint8_t> script = drawingScript();
    swf.doAction(script).showFrame();
    swf.doAction(script).showFrame();
    const std::vector<uint8_t> bytes = swf.bytes();
    return velmora::bench::checkedMovie(velmora::swf::parseMovie(bytes), "drawing");
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
