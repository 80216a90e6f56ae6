// How long a frame takes to draw at 800x600 once its paths are cached: filling the stage alone
// (the yardstick), text-heavy frames, a gradient-heavy frame, a bitmap-heavy frame, frames of 10
// to 10,000 shapes, and the sample lessons when they are present. One core; figures per frame.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <filesystem>

#include "support/benchmark_movies.h"
#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"

namespace {

using namespace velmora::swf;
using velmora::test::BenchmarkScene;

const QSize kViewport(800, 600);

// Draws a display list every iteration. With caching, finished pictures are kept between
// frames (a still frame, as lessons mostly are); without, every path is filled again (everything
// moving). A frame that warns is not measured: it would not be drawing what it claims.
void runFrames(benchmark::State& state, const std::shared_ptr<const Movie>& movie, const DisplayList& list,
               bool caching) {
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    renderer.setPictureCaching(caching);
    state.SetLabel(caching ? "pictures kept" : "paths filled every frame");
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    renderer.render(painter, list, movie->stage, kViewport, Qt::white);  // fill the caches
    if (!resources.warnings.messages().empty()) {
        state.SkipWithError(("the frame warns: " + resources.warnings.messages().front()).c_str());
        return;
    }
    for (auto _ : state) {
        renderer.render(painter, list, movie->stage, kViewport, Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void runScene(benchmark::State& state, const BenchmarkScene& scene, bool caching) {
    runFrames(state, scene.movie, scene.list, caching);
}

// The stage filled with its background and nothing on it: what every other figure is weighed
// against.
void BM_StageFill(benchmark::State& state) { runScene(state, BenchmarkScene(), false); }
BENCHMARK(BM_StageFill)->Unit(benchmark::kMillisecond);

// Twelve lines of Chinese and Latin text in fields of an installed font, and a title.
void BM_TextHeavyFrame(benchmark::State& state) {
    static const BenchmarkScene scene = velmora::test::textHeavyScene();
    runScene(state, scene, state.range(0) != 0);
}
BENCHMARK(BM_TextHeavyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A page of 20 lines of 20 Chinese characters at 24 px. Arguments: 1 for static text in an
// embedded font, 0 for a field in an installed font; then 1 to keep pictures or 0 not to.
void BM_ChinesePage(benchmark::State& state) {
    static const BenchmarkScene embedded = velmora::test::chinesePageScene(true);
    static const BenchmarkScene device = velmora::test::chinesePageScene(false);
    runScene(state, state.range(0) ? embedded : device, state.range(1) != 0);
}
BENCHMARK(BM_ChinesePage)->ArgsProduct({{1, 0}, {0, 1}})->Unit(benchmark::kMillisecond);

// The same page drawn at a new fraction of a pixel every frame, as a subtitle sliding in does:
// whole pictures cannot be kept, glyphs can.
void BM_ChinesePageSliding(benchmark::State& state) {
    BenchmarkScene scene = velmora::test::chinesePageScene(state.range(0) != 0);
    RenderResources resources;
    resources.setMovie(scene.movie);
    StageRenderer renderer(resources);
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    DisplayObject& page = *scene.list.begin()->second;
    const double x = page.matrix.tx;
    int frame = 0;
    for (auto _ : state) {
        page.matrix.tx = x + (frame++ % 400) * 0.7;  // 0.035 px a frame
        renderer.render(painter, scene.list, scene.movie->stage, kViewport, Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ChinesePageSliding)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The page turned by 15 degrees: turned text is filled glyph by glyph every frame, with no
// pictures of glyphs or of the page kept.
void BM_ChinesePageTurned(benchmark::State& state) {
    BenchmarkScene scene = velmora::test::chinesePageScene(state.range(0) != 0);
    DisplayObject& page = *scene.list.begin()->second;
    page.matrix.a = page.matrix.d = 0.966;
    page.matrix.b = 0.259;
    page.matrix.c = -0.259;
    runScene(state, scene, false);
}
BENCHMARK(BM_ChinesePageTurned)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Forty large shapes with linear, radial and focal gradients, half in linear RGB.
void BM_GradientHeavyFrame(benchmark::State& state) {
    static const BenchmarkScene scene = velmora::test::gradientHeavyScene();
    runScene(state, scene, state.range(0) != 0);
}
BENCHMARK(BM_GradientHeavyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Eight 400x300 photos, scaled and rotated, smoothed.
void BM_BitmapHeavyFrame(benchmark::State& state) {
    static const BenchmarkScene scene = velmora::test::bitmapHeavyScene();
    runScene(state, scene, state.range(0) != 0);
}
BENCHMARK(BM_BitmapHeavyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// N solid shapes of 16 curved edges each, outlined: how the time grows with the shape count.
// Arguments: the count, then 1 to keep pictures or 0 not to.
void BM_ShapeCount(benchmark::State& state) {
    const BenchmarkScene scene = velmora::test::shapeCountScene(int(state.range(0)));
    runScene(state, scene, state.range(1) != 0);
}
BENCHMARK(BM_ShapeCount)
    ->ArgsProduct({{10, 100, 300, 1000, 3000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// N shapes as above, no two alike, so each needs a picture of its own: past the cache's budget,
// keeping pictures must not cost more than drawing every object directly.
void BM_DistinctPictures(benchmark::State& state) {
    const BenchmarkScene scene = velmora::test::distinctPicturesScene(int(state.range(0)));
    runScene(state, scene, state.range(1) != 0);
}
BENCHMARK(BM_DistinctPictures)->ArgsProduct({{100, 1000, 3000, 10000}, {0, 1}})->Unit(benchmark::kMillisecond);

// The sample lesson at a frame with its picture, title and subtitle on show.
void BM_SampleLessonFrame(benchmark::State& state) {
    const std::string path = std::string(VELMORA_SOURCE_DIR) + "/samples/swf/lesson1.swf";
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("samples/swf/lesson1.swf is absent");
        return;
    }
    auto movie = loadMovieFile(path);
    MovieInstance instance(movie);
    for (int i = 0; i < 100; ++i) instance.tick();
    runFrames(state, movie, instance.root().displayList(), state.range(0) != 0);
}
BENCHMARK(BM_SampleLessonFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
