// How long a frame takes to draw at 800x600 once its paths are cached: a text-heavy frame, a
// gradient-heavy frame, a bitmap-heavy frame, frames of 10 to 3000 shapes, and the sample lessons
// when they are present. One core; the figures are per frame.

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <filesystem>
#include <memory>

#include "swf/format/bitmap.h"
#include "swf/format/movie_loader.h"
#include "swf/format/text.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"

namespace {

using namespace velmora::swf;

const QSize kViewport(800, 600);
const Rect kStage{0, 16000, 0, 12000};  // 800 x 600 px

struct Scene {
    std::shared_ptr<Movie> movie = std::make_shared<Movie>();
    DisplayList list;

    Scene() {
        movie->stage = kStage;
        movie->version = 10;
    }
    void add(std::shared_ptr<const Character> c) { movie->dictionary[c->id] = std::move(c); }
    void place(uint16_t depth, uint16_t id, Matrix m = {}, std::string text = {}) {
        auto o = std::make_unique<DisplayObject>();
        o->depth = depth;
        o->character = movie->sharedCharacter(id);
        o->matrix = m;
        o->text = std::move(text);
        list[depth] = std::move(o);
    }
};

// A blob of `edges` curved edges around a centre, as traced artwork has.
std::shared_ptr<ShapeCharacter> blob(uint16_t id, int edges, FillStyle fill) {
    auto shape = std::make_shared<ShapeCharacter>(id);
    shape->version = 3;
    shape->bounds = {-1000, 1000, -1000, 1000};
    shape->fillStyles = {fill};
    LineStyle line;
    line.width = 20;
    shape->lineStyles = {line};
    StyleChangeRecord start;
    start.moveTo = std::make_pair(1000, 0);
    start.fillStyle1 = 1;
    start.lineStyle = 1;
    shape->records.push_back(start);
    int32_t x = 1000, y = 0;
    for (int i = 1; i <= edges; ++i) {
        const double a = 2 * M_PI * i / edges;
        const double am = 2 * M_PI * (i - 0.5) / edges;
        const double r = 900 + 100 * std::sin(i * 1.7);
        const int32_t cx = int32_t(1050 * std::cos(am)), cy = int32_t(1050 * std::sin(am));
        const int32_t ax = int32_t(r * std::cos(a)), ay = int32_t(r * std::sin(a));
        shape->records.push_back(CurvedEdgeRecord{cx - x, cy - y, ax - cx, ay - cy});
        x = ax;
        y = ay;
    }
    shape->records.push_back(StraightEdgeRecord{1000 - x, -y});
    return shape;
}

FillStyle solid(uint8_t r, uint8_t g, uint8_t b) {
    FillStyle f;
    f.color = {r, g, b, 255};
    return f;
}

FillStyle gradient(FillStyle::Type type, int i) {
    FillStyle f;
    f.type = type;
    f.gradient.stops = {{0, {255, uint8_t(i * 40), 0, 255}}, {128, {255, 255, 255, 200}}, {255, {0, 0, 255, 255}}};
    f.gradient.interpolation = i % 2 ? Gradient::Interpolation::LinearRgb : Gradient::Interpolation::Rgb;
    const double s = 2000.0 / 32768.0;
    f.matrix = Matrix{s * std::cos(i), s * std::sin(i), -s * std::sin(i), s * std::cos(i), 0, 0};
    return f;
}

// caching keeps finished pictures between frames (a still frame, as
// lessons mostly are), 0 fills every path again (everything moving).
void runScene(benchmark::State& state, Scene& scene, bool caching) {
    RenderResources resources;
    resources.setMovie(scene.movie);
    StageRenderer renderer(resources);
    renderer.setPictureCaching(caching);
    state.SetLabel(caching ? "pictures kept" : "paths filled every frame");
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    renderer.render(painter, scene.list, scene.movie->stage, kViewport, Qt::white);  // fill the caches
    for (auto _ : state) {
        renderer.render(painter, scene.list, scene.movie->stage, kViewport, Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Twelve lines of Chinese and Latin text in fields of an installed font, and a title.
void BM_TextHeavyFrame(benchmark::State& state) {
    Scene scene;
    for (int i = 0; i < 12; ++i) {
        auto field = std::make_shared<EditTextCharacter>(uint16_t(100 + i));
        field->bounds = {0, 15000, 0, 900};
        field->wordWrap = true;
        field->multiline = true;
        field->html = true;
        field->fontHeight = 440;
        field->textColor = Rgba{40, 30, 20, 255};
        scene.add(field);
        scene.place(uint16_t(i + 1), uint16_t(100 + i), Matrix{1, 0, 0, 1, 500, 600.0 + 950 * i},
                    "<font face=\"宋体\">第" + std::to_string(i + 1) +
                        "课：我很好，谢谢。你呢？</font> <b>wǒ hěn hǎo, xièxie</b> — I am fine, thank you.");
    }
    runScene(state, scene, state.range(0) != 0);
}
BENCHMARK(BM_TextHeavyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Forty large shapes with linear, radial and focal gradients, half in linear RGB.
void BM_GradientHeavyFrame(benchmark::State& state) {
    Scene scene;
    const FillStyle::Type types[] = {FillStyle::Type::LinearGradient, FillStyle::Type::RadialGradient,
                                     FillStyle::Type::FocalGradient};
    for (int i = 0; i < 40; ++i) {
        scene.add(blob(uint16_t(i + 1), 24, gradient(types[i % 3], i)));
        const double s = 1.5 + (i % 5) * 0.5;
        scene.place(uint16_t(i + 1), uint16_t(i + 1), Matrix{s, 0, 0, s, 1500.0 + (i % 8) * 1800, 1500.0 + (i / 8) * 2200});
    }
    runScene(state, scene, state.range(0) != 0);
}
BENCHMARK(BM_GradientHeavyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Eight 400x300 photos, scaled and rotated, smoothed.
void BM_BitmapHeavyFrame(benchmark::State& state) {
    Scene scene;
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) photo.setPixel(x, y, qRgb(x * 255 / 400, y * 255 / 300, (x ^ y) & 255));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "JPG", 85);
    auto bitmap = std::make_shared<BitmapCharacter>(1);
    bitmap->encoding = BitmapCharacter::Encoding::Jpeg2;
    bitmap->data.assign(jpeg.begin(), jpeg.end());
    scene.add(bitmap);
    for (int i = 0; i < 8; ++i) {
        auto shape = std::make_shared<ShapeCharacter>(uint16_t(10 + i));
        FillStyle fill;
        fill.type = FillStyle::Type::ClippedBitmap;
        fill.bitmapId = 1;
        fill.matrix = Matrix{20, 0, 0, 20, 0, 0};
        shape->fillStyles = {fill};
        StyleChangeRecord start;
        start.moveTo = std::make_pair(0, 0);
        start.fillStyle1 = 1;
        shape->records = {start, StraightEdgeRecord{8000, 0}, StraightEdgeRecord{0, 6000}, StraightEdgeRecord{-8000, 0},
                          StraightEdgeRecord{0, -6000}};
        scene.add(shape);
        const double a = (i - 4) * 0.05;
        const double s = 0.9;
        scene.place(uint16_t(i + 1), uint16_t(10 + i),
                    Matrix{s * std::cos(a), s * std::sin(a), -s * std::sin(a), s * std::cos(a), 500.0 + (i % 2) * 7500,
                           300.0 + (i / 2) * 2800});
    }
    runScene(state, scene, state.range(0) != 0);
}
BENCHMARK(BM_BitmapHeavyFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// N solid shapes of 16 curved edges each, outlined: how the time grows with the shape count.
// Arguments: the count, then 1 to keep pictures or 0 not to.
void BM_ShapeCount(benchmark::State& state) {
    Scene scene;
    const int count = int(state.range(0));
    for (int i = 0; i < 16; ++i) scene.add(blob(uint16_t(i + 1), 16, solid(uint8_t(i * 16), 120, uint8_t(255 - i * 16))));
    for (int i = 0; i < count; ++i)
        scene.place(uint16_t(i + 1), uint16_t(i % 16 + 1),
                    Matrix{0.5, 0, 0, 0.5, 500.0 + (i * 733) % 15000, 500.0 + (i * 397) % 11000});
    runScene(state, scene, state.range(1) != 0);
}
BENCHMARK(BM_ShapeCount)
    ->ArgsProduct({{10, 100, 300, 1000, 3000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// The sample lessons at a frame with their picture, title and subtitle on show.
void BM_SampleLessonFrame(benchmark::State& state) {
    const std::string path = std::string(VELMORA_SOURCE_DIR) + "/samples/swf/lesson1.swf";
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("samples/swf/lesson1.swf is absent");
        return;
    }
    auto movie = loadMovieFile(path);
    MovieInstance instance(movie);
    for (int i = 0; i < 100; ++i) instance.tick();
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    renderer.setPictureCaching(state.range(0) != 0);
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    renderer.render(painter, instance.root().displayList(), movie->stage, kViewport, Qt::white);
    for (auto _ : state) {
        renderer.render(painter, instance.root().displayList(), movie->stage, kViewport, Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
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
