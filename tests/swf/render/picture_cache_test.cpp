#include <gtest/gtest.h>

#include "render_test_support.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {
namespace {

// A scene of a gradient shape with an outline, a half-transparent shape and a field of Chinese
// text, at fractional positions.
struct CachedScene {
    std::shared_ptr<Movie> movie = std::make_shared<Movie>();
    DisplayList list;

    CachedScene() {
        movie->stage = {0, 2000, 0, 1000};
        FillStyle gradient;
        gradient.type = FillStyle::Type::RadialGradient;
        gradient.gradient.stops = {{0, {255, 255, 0, 255}}, {255, {0, 128, 0, 255}}};
        gradient.matrix = Matrix{0.03, 0.01, -0.01, 0.03, 300, 300};
        auto blob = test::rectangleShape(1, {0, 600, 0, 600}, gradient);
        LineStyle outline;
        outline.width = 30;
        outline.color = {0, 0, 0, 255};
        blob->lineStyles = {outline};
        std::get<StyleChangeRecord>(blob->records[0]).lineStyle = 1;
        auto glass = test::rectangleShape(2, {0, 800, 0, 400}, test::solidFill({0, 0, 255, 100}));
        auto field = std::make_shared<EditTextCharacter>(3);
        field->bounds = {0, 1800, 0, 500};
        field->fontHeight = 300;
        field->initialText = "字幕 Subtitle";
        for (auto c : std::initializer_list<std::shared_ptr<const Character>>{blob, glass, field})
            movie->dictionary[c->id] = c;
        place(1, 1, Matrix{1.2, 0.3, -0.3, 1.2, 203.3, 101.7});
        place(2, 2, Matrix{1, 0, 0, 1, 500.4, 300.9});
        place(3, 3, Matrix{1, 0, 0, 1, 100.25, 480.6});
    }
    void place(uint16_t depth, uint16_t id, Matrix m) {
        auto o = std::make_unique<DisplayObject>();
        o->depth = depth;
        o->character = movie->sharedCharacter(id);
        o->matrix = m;
        list[depth] = std::move(o);
    }
};

using test::worstDifference;

// The scene drawn two ways: afresh every time, and through the picture cache.
class PictureCache : public ::testing::Test {
protected:
    PictureCache() {
        direct.setMovie(scene.movie);
        cached.setMovie(scene.movie);
        plain.setPictureCaching(false);
    }
    QImage drawAfresh() { return plain.renderImage(scene.list, scene.movie->stage, {300, 150}, Qt::white); }
    QImage drawCached() { return caching.renderImage(scene.list, scene.movie->stage, {300, 150}, Qt::white); }

    CachedScene scene;
    RenderResources direct;
    RenderResources cached;
    StageRenderer plain{direct};
    StageRenderer caching{cached};
};

TEST_F(PictureCache, CachedPicturesMatchDrawingAfresh) {
    const QImage expected = drawAfresh();
    const QImage first = drawCached();
    const QImage second = drawCached();
    EXPECT_GT(cached.pictures.pixels(), 0);
    EXPECT_LE(worstDifference(expected, first), 2);
    EXPECT_LE(worstDifference(expected, second), 2);

    // Moved by whole pixels (3 px at this zoom is 20 twips), the pictures are reused and land
    // where drawing afresh puts them.
    for (auto& [depth, object] : scene.list) object->matrix.tx += 20;
    const int64_t before = cached.pictures.pixels();
    const QImage movedExpected = drawAfresh();
    const QImage moved = drawCached();
    EXPECT_EQ(cached.pictures.pixels(), before);
    EXPECT_LE(worstDifference(movedExpected, moved), 2);

    // A change of colour transform is a different picture.
    scene.list[2]->colorTransform.rMult = 0;
    scene.list[2]->colorTransform.rAdd = 255;
    const QImage recolouredExpected = drawAfresh();
    const QImage recoloured = drawCached();
    EXPECT_LE(worstDifference(recolouredExpected, recoloured), 2);
}

TEST_F(PictureCache, StaysWithinItsPixelBudget) {
    RasterCache cache;
    for (int i = 0; i < 100; ++i) {
        QPoint shift;
        const auto key = RasterCache::makeKey(&cache, uint32_t(i), {}, QTransform(), {}, 1.0, shift);
        cache.store(key, {QImage(1000, 1000, QImage::Format_ARGB32_Premultiplied), {}});
        EXPECT_LE(cache.pixels(), RasterCache::kMaxPixels);
    }
    QPoint shift;
    EXPECT_EQ(cache.find(RasterCache::makeKey(&cache, 0, {}, QTransform(), {}, 1.0, shift)), nullptr);
    EXPECT_NE(cache.find(RasterCache::makeKey(&cache, 99, {}, QTransform(), {}, 1.0, shift)), nullptr);
}

// Pictures are made only when they pay for themselves: one asked for once is drawn directly;
// after a frame that asked for more than the budget holds, new pictures are kept only while they
// fit beside the ones kept already, which stay and go on being copied.
TEST_F(PictureCache, KeepsPicturesAskedForAgainAndNeverThrashes) {
    RasterCache cache;
    QPoint shift;
    auto key = [&](int i) { return RasterCache::makeKey(&cache, uint32_t(i), {}, QTransform(), {}, 1.0, shift); };
    const int64_t side = 1000;
    auto keep = [&](int i) {
        if (!cache.shouldKeep(key(i), side * side)) return false;
        cache.store(key(i), {QImage(int(side), int(side), QImage::Format_ARGB32_Premultiplied), {}});
        return true;
    };
    cache.startFrame();
    EXPECT_FALSE(keep(0));
    EXPECT_TRUE(keep(0));
    EXPECT_FALSE(cache.shouldKeep(key(1), RasterCache::kMaxPicturePixels + 1));
    EXPECT_FALSE(cache.shouldKeep(key(1), RasterCache::kMaxPicturePixels + 1));

    // A frame of ten large pictures, then the same frame again and again.
    const int count = 10;
    ASSERT_GT(count * side * side, RasterCache::kMaxPixels);
    for (int frame = 0; frame < 4; ++frame) {
        cache.startFrame();
        for (int i = 0; i < count; ++i)
            if (!cache.find(key(i))) keep(i);
    }
    EXPECT_LE(cache.pixels(), RasterCache::kMaxPixels);
    cache.startFrame();
    int hits = 0;
    for (int i = 0; i < count; ++i) hits += cache.find(key(i)) != nullptr;
    EXPECT_EQ(hits, int(RasterCache::kMaxPixels / (side * side)));
}

// On a high-density screen pictures and layers are made at the device's own pixels: drawing at
// device pixel ratio 2 gives the same pixels as drawing twice as large at ratio 1.
TEST_F(PictureCache, HighDensityDevicesGetDevicePixelSharpPictures) {
    Filter glow;
    glow.type = Filter::Type::Glow;
    glow.color = {255, 0, 255, 255};
    glow.blurX = glow.blurY = 4;
    scene.list[2]->filters = {glow};
    RenderResources resources;
    resources.setMovie(scene.movie);
    StageRenderer renderer(resources);
    const QImage large = renderer.renderImage(scene.list, scene.movie->stage, {600, 300}, Qt::white);
    QImage dense(600, 300, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(2.0);
    {
        QPainter painter(&dense);
        renderer.render(painter, scene.list, scene.movie->stage, {300, 150}, Qt::white);
    }
    dense.setDevicePixelRatio(1.0);
    EXPECT_LE(worstDifference(large, dense), 24);
    int different = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600; ++x) different += test::colorDistance(large.pixel(x, y), dense.pixel(x, y)) > 4;
    EXPECT_LT(different, 600 * 300 / 100);
}

// A fade draws the unfaded picture at an opacity, for text and single-fill shapes alike, and
// looks as drawing every part faded does.
TEST_F(PictureCache, FadesReuseTheUnfadedPicture) {
    drawCached();
    drawCached();  // pictures are kept from their second frame on
    const int64_t pixels = cached.pictures.pixels();
    for (double alpha : {0.8, 0.5, 0.2}) {
        scene.list[2]->colorTransform.aMult = alpha;
        scene.list[3]->colorTransform.aMult = alpha;
        const QImage expected = drawAfresh();
        const QImage faded = drawCached();
        EXPECT_LE(worstDifference(expected, faded), 3) << alpha;
    }
    EXPECT_EQ(cached.pictures.pixels(), pixels);
}

}  // namespace
}  // namespace velmora::swf
