// Text drawn from glyph pictures made once looks as filling every glyph's outline does, in
// embedded and installed fonts, through colour transforms, and keeps its pictures as it slides.

#include <gtest/gtest.h>

#include "render_test_support.h"
#include "support/benchmark_movies.h"
#include "swf/format/text_encoding.h"
#include "swf/render/color_transform_apply.h"
#include "swf/render/edit_text.h"
#include "swf/render/stage_renderer.h"
#include "swf/render/static_text.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {
namespace {

namespace bench = velmora::test;

// The page drawn afresh (no whole pictures kept) with its matrix and colour transform set, glyphs
// copied from pictures or, with keepGlyphs false, every glyph's outline filled where it stands:
// what the stage draws when the pictures are not kept.
QImage drawPage(bench::BenchmarkScene& scene, RenderResources& resources, const Matrix& m, const ColorTransform& cx,
                bool keepGlyphs = true) {
    DisplayObject& page = *scene.list.begin()->second;
    page.matrix = m;
    page.colorTransform = cx;
    resources.setMovie(scene.movie);
    resources.glyphMasks.setEnabled(keepGlyphs);
    StageRenderer renderer(resources);
    renderer.setPictureCaching(false);
    return renderer.renderImage(scene.list, scene.movie->stage, {800, 600}, Qt::white);
}

// The same page with every outline filled by Qt, its curves divided into lines within 1/32 of a
// pixel (Qt's own division of curves is coarser, and differs with where an outline stands). The
// stage is 800x600 px, so twips map to pixels at 1/20.
QImage qtFilledPage(const bench::BenchmarkScene& scene, const Matrix& m, const ColorTransform& cx) {
    RenderResources resources;
    resources.setMovie(scene.movie);
    const Character& character = *scene.list.begin()->second->character;
    QTransform world = QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty) * QTransform::fromScale(0.05, 0.05);
    TextGeometry geometry;
    if (character.kind == CharacterKind::Text) {
        const auto& text = static_cast<const TextCharacter&>(character);
        geometry = buildStaticText(text, resources);
        const Matrix& t = text.matrix;
        world = QTransform(t.a, t.b, t.c, t.d, t.tx, t.ty) * world;
    } else {
        const auto& field = static_cast<const EditTextCharacter&>(character);
        geometry = buildFieldText(field, toUtf8(field.initialText, 10), resources);
    }
    constexpr double kSteps = 32;  // to the pixel, in the divided lines' coordinates
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(QTransform::fromScale(1.0 / kSteps, 1.0 / kSteps));
    for (const TextGeometry::Piece& piece : geometry.pieces) {
        QPainterPath lines;
        lines.setFillRule(piece.path.fillRule());
        for (const QPolygonF& polygon : piece.path.toSubpathPolygons(world * QTransform::fromScale(kSteps, kSteps)))
            lines.addPolygon(polygon);
        painter.fillPath(lines, transformColor(piece.color, cx));
    }
    return image;
}

// How many pixels of a and b differ by more than level.
int pixelsOver(const QImage& a, const QImage& b, int level) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) count += test::colorDistance(a.pixel(x, y), b.pixel(x, y)) > level;
    return count;
}

TEST(GlyphPictures, LookLikeFillingEachOutline) {
    ColorTransform tinted;
    tinted.rMult = 0.5;
    tinted.gAdd = 90;
    tinted.aMult = 0.7;
    for (bool embedded : {true, false}) {
        bench::BenchmarkScene scene = bench::chinesePageScene(embedded);
        const Matrix placed = scene.list.begin()->second->matrix;
        // Fractions of a pixel, and a size that is no whole number of pixels.
        for (const Matrix& m : {Matrix{1, 0, 0, 1, placed.tx + 7.3, placed.ty + 11.9},
                                Matrix{1.37, 0, 0, 0.9, placed.tx - 2000.45, placed.ty + 3.3}}) {
            for (const ColorTransform& cx : {ColorTransform{}, tinted}) {
                RenderResources resources;
                const QImage copied = drawPage(scene, resources, m, cx);
                EXPECT_GT(resources.glyphMasks.size(), 50u);
                RenderResources unkept;
                const QImage filled = drawPage(scene, unkept, m, cx, false);
                EXPECT_EQ(unkept.glyphMasks.size(), 0u);
                EXPECT_LE(test::worstDifference(copied, filled), 4) << "embedded " << embedded << " scale " << m.a;
                // And filling in place looks as Qt's fill of finely divided outlines does, but where
                // strokes overlap in part of a pixel: Qt counts the overlap twice there.
                EXPECT_LE(pixelsOver(filled, qtFilledPage(scene, m, cx), 6), 4)
                    << "embedded " << embedded << " scale " << m.a;
            }
        }
        // Turned text is filled where it stands: no glyph pictures are made for it.
        RenderResources resources;
        const Matrix turned{0.96, 0.26, -0.26, 0.96, placed.tx, placed.ty};
        const QImage image = drawPage(scene, resources, turned, {});
        EXPECT_EQ(resources.glyphMasks.size(), 0u);
        EXPECT_LE(pixelsOver(image, qtFilledPage(scene, turned, {}), 6), 4);
    }
}

// A subtitle sliding by 1/32 of a pixel a frame: once its glyphs have been made at every
// sub-pixel position of a pixel, no frame makes any more.
TEST(GlyphPictures, TextSlidingByFractionsOfAPixelReusesThem) {
    bench::BenchmarkScene scene = bench::chinesePageScene(true);
    RenderResources resources;
    resources.setMovie(scene.movie);
    StageRenderer renderer(resources);
    DisplayObject& page = *scene.list.begin()->second;
    const double x = page.matrix.tx;
    auto slide = [&](int from, int to) {
        for (int frame = from; frame < to; ++frame) {
            page.matrix.tx = x + frame * 0.625;
            renderer.renderImage(scene.list, scene.movie->stage, {800, 600}, Qt::white);
        }
    };
    slide(0, 32);
    const size_t made = resources.glyphMasks.size();
    slide(32, 100);
    EXPECT_EQ(resources.glyphMasks.size(), made);
    EXPECT_LE(resources.glyphMasks.pixels(), GlyphMaskCache::kMaxPixels);
}

}  // namespace
}  // namespace velmora::swf
