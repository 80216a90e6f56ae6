#include <gtest/gtest.h>

#include <QFontMetricsF>

#include "render_test_support.h"
#include "swf/format/font.h"
#include "swf/format/text.h"
#include "swf/render/device_fonts.h"
#include "swf/render/edit_text.h"
#include "swf/render/field_text_measure.h"
#include "swf/render/glyph_cache.h"
#include "swf/render/stage_renderer.h"
#include "swf/render/static_text.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {
namespace {

using test::pixel;

// A font of two glyphs: a full em square ('A') and a bar in its lower half ('B').
std::shared_ptr<FontCharacter> squareFont(uint16_t id, double em = 1024.0) {
    auto font = std::make_shared<FontCharacter>(id);
    font->version = em == 1024.0 ? 2 : 3;
    font->emSquare = em;
    font->name = "Squares";
    font->hasLayout = true;
    font->ascent = int16_t(em * 0.8);
    font->descent = int16_t(em * 0.2);
    const int32_t e = int32_t(em);
    Glyph a;
    a.code = 'A';
    a.advance = int16_t(e);
    a.records = test::rectangleRecords({0, e, -e, 0});
    Glyph b;
    b.code = 'B';
    b.advance = int16_t(e / 2);
    b.records = test::rectangleRecords({0, e / 2, -e / 2, 0});
    font->glyphs = {a, b};
    return font;
}

struct TextScene {
    std::shared_ptr<Movie> movie = std::make_shared<Movie>();
    RenderResources resources;

    TextScene() {
        movie->stage = {0, 2000, 0, 1000};
        movie->version = 10;
    }
    void add(std::shared_ptr<const Character> c) { movie->dictionary[c->id] = std::move(c); }
    QImage render(std::shared_ptr<const Character> c, std::string content = {}) {
        resources.setMovie(movie);
        DisplayList list;
        auto o = std::make_unique<DisplayObject>();
        o->depth = 1;
        o->character = std::move(c);
        o->text = std::move(content);
        list[1] = std::move(o);
        StageRenderer renderer(resources);
        return renderer.renderImage(list, movie->stage, {100, 50}, Qt::white);
    }
};

TEST(StaticText, GlyphsAtTheirHeightColourAndAdvances) {
    TextScene scene;
    scene.add(squareFont(1));
    auto text = std::make_shared<TextCharacter>(2);
    TextRecord first;
    first.fontId = 1;
    first.height = 200;  // 10 px em
    first.color = Rgba{255, 0, 0, 255};
    first.xOffset = 100;
    first.yOffset = 400;
    first.glyphs = {{0, 300}, {1, 300}};  // 'A' then 'B', each advancing 15 px
    TextRecord second;  // changes only the colour: continues after the last advance
    second.color = Rgba{0, 0, 255, 255};
    second.glyphs = {{0, 200}};
    text->records = {first, second};
    scene.add(text);
    const QImage image = scene.render(text);
    // 'A': x 5..15 px, y 10..20 px (baseline at 20, em 10 px above it).
    EXPECT_EQ(pixel(image, 10, 15), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 10, 8), qRgb(255, 255, 255));
    // 'B' at x 20: a 5 px square sitting on the baseline.
    EXPECT_EQ(pixel(image, 22, 18), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 22, 12), qRgb(255, 255, 255));
    // The second record at x 35, blue.
    EXPECT_EQ(pixel(image, 40, 15), qRgb(0, 0, 255));
    EXPECT_TRUE(scene.resources.warnings.empty());
}

TEST(StaticText, DefineFont3GlyphsAreTwentyTimesFiner) {
    TextScene scene;
    scene.add(squareFont(1, 20480.0));
    auto text = std::make_shared<TextCharacter>(2);
    TextRecord r;
    r.fontId = 1;
    r.height = 200;
    r.color = Rgba{0, 0, 0, 255};
    r.xOffset = 100;
    r.yOffset = 400;
    r.glyphs = {{0, 300}};
    text->records = {r};
    scene.add(text);
    const QImage image = scene.render(text);
    EXPECT_EQ(pixel(image, 10, 15), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(image, 17, 15), qRgb(255, 255, 255));  // 10 px wide, not 200
}

TEST(StaticText, MissingFontsAndGlyphsAreSkippedWithWarnings) {
    TextScene scene;
    scene.add(squareFont(1));
    auto text = std::make_shared<TextCharacter>(2);
    TextRecord orphan;  // glyphs before any font
    orphan.glyphs = {{0, 100}};
    TextRecord missing;
    missing.fontId = 42;
    missing.height = 200;
    missing.glyphs = {{0, 100}};
    TextRecord pastEnd;
    pastEnd.fontId = 1;
    pastEnd.height = 200;
    pastEnd.yOffset = 400;
    pastEnd.glyphs = {{5000, 300}, {0, 300}};
    text->records = {orphan, missing, pastEnd};
    scene.add(text);
    const QImage image = scene.render(text);
    EXPECT_EQ(scene.resources.warnings.messages().size(), 3u);
    // The glyph after the bad one is still drawn, in its place: x 20..30 px (the pen started at
    // 200 twips after the first two records).
    EXPECT_EQ(pixel(image, 25, 15), qRgb(0, 0, 0));
}

// Field 2 showing `text` in the square font (character 1) at 10 px, in an 80 x 40 px box.
std::shared_ptr<EditTextCharacter> squareFontField(const std::string& text) {
    auto field = std::make_shared<EditTextCharacter>(2);
    field->bounds = {0, 1600, 0, 800};
    field->useOutlines = true;
    field->fontId = 1;
    field->fontHeight = 200;
    field->initialText = text;
    return field;
}

TEST(EditText, EmbeddedFontFieldWithBorderAndHtml) {
    TextScene scene;
    scene.add(squareFont(1));
    auto field = squareFontField("<p align=\"right\"><font color=\"#00FF00\">AB</font></p>");
    field->border = true;
    field->html = true;
    field->textColor = Rgba{0, 0, 0, 255};
    scene.add(field);
    const QImage image = scene.render(field);
    EXPECT_LT(qRed(pixel(image, 0, 20)), 160);             // the border
    EXPECT_EQ(pixel(image, 40, 20), qRgb(255, 255, 255));  // the white background
    EXPECT_EQ(pixel(image, 90, 20), qRgb(255, 255, 255));  // outside the field
    // Right aligned: the text ends 2 px inside the right edge (80 - 2 = 78); "AB" is 15 px wide,
    // on a baseline 10 px down (2 px gutter and an ascent of 8).
    EXPECT_EQ(pixel(image, 67, 7), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(image, 76, 8), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(image, 76, 3), qRgb(255, 255, 255));  // 'B' is half as tall
    EXPECT_EQ(pixel(image, 60, 7), qRgb(255, 255, 255));
    EXPECT_EQ(test::compareWithExpected(image, "embedded_field"), "");
}

TEST(EditText, ContentGivenByTheRuntimeReplacesTheInitialText) {
    TextScene scene;
    scene.add(squareFont(1));
    auto field = squareFontField("A");
    scene.add(field);
    const QImage initial = scene.render(field);
    const QImage replaced = scene.render(field, "BBBB");
    EXPECT_EQ(pixel(initial, 6, 3), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(replaced, 6, 3), qRgb(255, 255, 255));  // 'B' is only half as tall
    EXPECT_EQ(pixel(replaced, 20, 8), qRgb(0, 0, 0));
}

TEST(EditText, ChineseInADeviceFontIsDrawnWithRealGlyphs) {
    // Whatever face a lesson names, Chinese characters come out as their own outlines: two
    // different characters never share one (as the empty boxes of a missing glyph would).
    GlyphCache cache;
    for (const char* face : {"宋体", "Arial", "_sans", "NoSuchFont"}) {
        const QFont font = deviceFont(face, GlyphCache::kDevicePixelSize, false, false);
        const QPainterPath zhong = cache.deviceGlyph(font, U'中').path;
        const QPainterPath ding = cache.deviceGlyph(font, U'丁').path;
        EXPECT_FALSE(zhong.isEmpty()) << face;
        EXPECT_NE(zhong.boundingRect(), ding.boundingRect()) << face;
        EXPECT_GT(cache.deviceGlyph(font, U'中').advance, 0.0) << face;
        // Fonts draw strokes as contours that cross; even-odd filling would cut holes there.
        EXPECT_EQ(zhong.fillRule(), Qt::WindingFill) << face;
    }
    EXPECT_TRUE(deviceFontFamilies("宋体").contains("WenQuanYi Micro Hei"));
    EXPECT_TRUE(deviceFontFamilies("_typewriter").join(",").contains("Mono"));
}

TEST(EditText, DeviceFontFieldWrapsChineseText) {
    TextScene scene;
    auto field = std::make_shared<EditTextCharacter>(2);
    field->bounds = {0, 2000, 0, 1000};
    field->wordWrap = true;
    field->multiline = true;
    field->fontHeight = 320;  // 16 px
    field->textColor = Rgba{0, 0, 128, 255};
    field->initialText = "学习中文很有意思。";
    scene.add(field);
    const QImage image = scene.render(field);
    // 9 characters of 16 px do not fit in 96 px: two lines, ink in both.
    auto inkInRows = [&](int top, int bottom) {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 100; ++x) ink += qBlue(pixel(image, x, y)) < 255 && qRed(pixel(image, x, y)) < 128;
        return ink;
    };
    EXPECT_GT(inkInRows(2, 20), 40);
    EXPECT_GT(inkInRows(20, 40), 20);
    EXPECT_EQ(test::compareWithExpected(image, "chinese_field", 40), "");
}

TEST(EditText, KerningMovesAnEmbeddedPairInDrawingAndMeasuring) {
    // 'B' after 'A' moves half an em (5 px at 10 px) to the left, when kerning is on.
    auto font = squareFont(1);
    font->kerning = {{'B', 'A', 512}, {'A', 'B', -512}, {'A', 'B', 900}};
    TextScene scene;
    scene.add(font);
    auto field = squareFontField("");
    field->html = true;
    scene.add(field);
    const std::string kerned = "<font kerning=\"1\">AB</font>";
    const std::string plain = "<font kerning=\"0\">AB</font>";
    const QImage on = scene.render(field, kerned);
    const QImage off = scene.render(field, plain);
    // Without kerning 'B' stands at 12..17 px, with it at 7..12 px, over 'A'.
    EXPECT_EQ(pixel(off, 15, 8), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(on, 15, 8), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(on, 10, 8), qRgb(0, 0, 0));

    // textWidth and autoSize measure what is drawn; each pair takes its own entry, and a
    // character the font lacks (drawn from an installed font) is kerned with neither neighbour.
    scene.resources.setMovie(scene.movie);
    FieldTextMeasure measure(scene.movie);
    EXPECT_DOUBLE_EQ(measure.measure(*field, plain).textWidth, 300.0);
    EXPECT_DOUBLE_EQ(measure.measure(*field, kerned).textWidth, 200.0);
    EXPECT_DOUBLE_EQ(measure.measure(*field, "<font kerning=\"1\">BA</font>").textWidth, 400.0);
    EXPECT_DOUBLE_EQ(measure.measure(*field, "<font kerning=\"1\">ABA</font>").textWidth, 500.0);
    EXPECT_DOUBLE_EQ(measure.measure(*field, "<font kerning=\"1\">AxB</font>").textWidth,
                     measure.measure(*field, "<font kerning=\"0\">AxB</font>").textWidth);
}

TEST(EditText, InstalledFontsKernAsQtDoesWhenAsked) {
    const QFont font = deviceFont("_sans", GlyphCache::kDevicePixelSize, false, false);
    const QFontMetricsF fm(font);
    const double qtPair = fm.horizontalAdvance("AV") - fm.horizontalAdvance("A") - fm.horizontalAdvance("V");
    if (qtPair > -0.5) GTEST_SKIP() << "the installed sans font has no kerning for AV";
    auto field = std::make_shared<EditTextCharacter>(2);
    field->bounds = {0, 20000, 0, 1000};
    field->fontHeight = 400;
    field->html = true;
    auto movie = std::make_shared<Movie>();
    movie->version = 10;
    FieldTextMeasure measure(movie);
    const double off = measure.measure(*field, "<font kerning=\"0\">AVAVAV</font>").textWidth;
    const double on = measure.measure(*field, "<font kerning=\"1\">AVAVAV</font>").textWidth;
    // Five pairs, each Qt's adjustment at 20 px.
    EXPECT_NEAR(on - off, 5 * qtPair * 400.0 / GlyphCache::kDevicePixelSize, 1.0);
}

TEST(EditText, HostileFieldsStayBounded) {
    TextScene scene;
    auto field = std::make_shared<EditTextCharacter>(2);
    field->bounds = {0, 0, 0, 0};  // no room at all
    field->wordWrap = true;
    field->fontId = 99;  // missing font
    field->useOutlines = true;
    field->fontHeight = 65535;
    field->initialText = std::string(5000, 'x');
    scene.add(field);
    scene.render(field);
    EXPECT_FALSE(scene.resources.warnings.empty());
}

}  // namespace
}  // namespace velmora::swf
