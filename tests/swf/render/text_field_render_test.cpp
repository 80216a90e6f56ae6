// Text fields as scripts change them, as drawn: background, border and text colours, a format
// for the whole field or part of its text, and autoSize measured with the layout that draws the text.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <algorithm>

#include "render_test_support.h"
#include "script_stage.h"
#include "swf/render/device_fonts.h"
#include "swf/render/glyph_cache.h"

namespace velmora::swf {
namespace {

using test::pixel;
using test::ScriptStage;
using velmora::test::Action;
using velmora::test::PushInt;
using velmora::test::Avm1Assembler;

// t = createTextField("t", 1, 10, 10, 60, 30) on the root, then each property set.
Avm1Assembler fieldWith(const std::vector<std::pair<std::string, velmora::test::PushItem>>& properties) {
    Avm1Assembler a;
    test::call(a, "_root", "createTextField", {std::string("t"), PushInt{1}, PushInt{10}, PushInt{10}, PushInt{60}, PushInt{30}},
               "t");
    for (const auto& [name, value] : properties) a.get("t").push({name, value}).op(Action::SetMember);
    return a;
}

int inkOf(const QImage& image, QRgb colour, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += pixel(image, x, y) == colour;
    return n;
}

TEST(TextFieldRender, BackgroundBorderAndTextColoursAsTheScriptSetsThem) {
    ScriptStage stage(fieldWith({{"background", true},
                                 {"backgroundColor", PushInt{0x0000FF}},
                                 {"border", true},
                                 {"borderColor", PushInt{0xFF0000}},
                                 {"textColor", PushInt{0xFFFF00}},
                                 {"text", std::string("HHH")}}));
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 60, 35), qRgb(0, 0, 255));  // the background, right of the text
    EXPECT_EQ(pixel(image, 5, 5), qRgb(255, 255, 255));  // outside the field
    // The left edge of the frame: red, half over the blue background.
    EXPECT_GT(qRed(pixel(image, 10, 25)), 100);
    EXPECT_EQ(qGreen(pixel(image, 10, 25)), 0);
    // Yellow text: pixels with much red and green, which neither the background nor black have.
    int yellow = 0;
    for (int y = 12; y < 32; ++y)
        for (int x = 12; x < 52; ++x) yellow += qRed(pixel(image, x, y)) > 160 && qGreen(pixel(image, x, y)) > 160;
    EXPECT_GT(yellow, 10);

    // A background alone, with no frame: nothing red on the edge.
    ScriptStage plain(fieldWith({{"background", true}, {"backgroundColor", PushInt{0x00FF00}}}));
    const QImage flat = plain.render();
    EXPECT_EQ(pixel(flat, 10, 25), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(flat, 40, 25), qRgb(0, 255, 0));
}

TEST(TextFieldRender, WholeFieldFormatAndAutoSizeChangeWhatIsDrawn) {
    Avm1Assembler a = fieldWith({{"text", std::string("HH")}});
    Avm1Assembler normal = a;
    ScriptStage before(normal);
    test::setObject(a, "fmt", {{"size", PushInt{24}}, {"color", PushInt{0xFF0000}}});
    test::call(a, "t", "setTextFormat", {test::Var{"fmt"}});
    a.get("t").push({"autoSize", "left"}).op(Action::SetMember);
    test::traceCall(a, "t", "getDepth", {});
    a.get("t").push({"_width"}).op(Action::GetMember).trace();
    a.get("t").push({"textWidth"}).op(Action::GetMember).trace();
    ScriptStage after(a);
    const QImage small = before.render();
    const QImage big = after.render();
    // Twice the size in red: far more ink, none of it black.
    const QRect area(10, 10, 60, 40);
    EXPECT_GT(inkOf(big, qRgb(255, 0, 0), area), 2 * inkOf(small, qRgb(0, 0, 0), area));
    EXPECT_EQ(inkOf(big, qRgb(0, 0, 0), area), 0);
    const std::vector<std::string> lines = after.traces();
    ASSERT_EQ(lines.size(), 3u);
    // The box now fits the measured text and its two-pixel gutters.
    EXPECT_NEAR(std::stod(lines[1]), std::stod(lines[2]) + 4, 1.0);
    EXPECT_GT(std::stod(lines[2]), 20);
    EXPECT_LT(std::stod(lines[2]), 60);
}

TEST(TextFieldRender, KerningFromATextFormatNarrowsWhatTextWidthMeasures) {
    const QFontMetricsF fm(deviceFont("_sans", GlyphCache::kDevicePixelSize, false, false));
    if (fm.horizontalAdvance("AV") > fm.horizontalAdvance("A") + fm.horizontalAdvance("V") - 0.5)
        GTEST_SKIP() << "the installed sans font has no kerning for AV";
    Avm1Assembler a = fieldWith({{"text", std::string("AVAVAV")}});
    for (bool kerning : {false, true, false}) {
        test::setObject(a, "fmt", {{"font", std::string("_sans")}, {"kerning", kerning}});
        test::call(a, "t", "setTextFormat", {test::Var{"fmt"}});
        a.get("t").push({"textWidth"}).op(Action::GetMember).trace();
        test::call(a, "t", "getTextFormat", {}, "got");
        a.get("got").push({"kerning"}).op(Action::GetMember).trace();
    }
    ScriptStage stage(a);
    const std::vector<std::string> lines = stage.traces();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_LT(std::stod(lines[2]), std::stod(lines[0]) - 1);
    EXPECT_EQ(lines[4], lines[0]);
    EXPECT_EQ(lines[1] + lines[3] + lines[5], "falsetruefalse");
}

TEST(TextFieldRender, PartOfTheTextDrawnInItsOwnFormat) {
    Avm1Assembler a = fieldWith({{"text", std::string("HHHH")}});
    test::setObject(a, "fmt", {{"color", PushInt{0xFF0000}}, {"bold", true}});
    test::call(a, "t", "setTextFormat", {PushInt{2}, PushInt{4}, test::Var{"fmt"}});
    ScriptStage stage(a);
    const QImage image = stage.render();
    // Find where the dark text ends: red ink lies only to its right.
    int blackRight = 0, redLeft = 1000, red = 0;
    for (int y = 10; y < 40; ++y)
        for (int x = 10; x < 70; ++x) {
            const QRgb p = pixel(image, x, y);
            if (qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80) blackRight = std::max(blackRight, x);
            if (qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60) {
                redLeft = std::min(redLeft, x);
                ++red;
            }
        }
    EXPECT_GT(red, 10);
    EXPECT_GT(blackRight, 12);
    EXPECT_LT(blackRight, redLeft);
}

TEST(TextFieldRender, StyleSheetColoursTagsAndClasses) {
    Avm1Assembler a = fieldWith({{"html", true}, {"multiline", true}});
    a.push({"css"}).push({PushInt{0}, "TextField"}).op(Action::GetVariable).push({"StyleSheet"}).op(Action::NewMethod);
    a.op(Action::SetVariable);
    test::call(a, "css", "parseCSS", {std::string("h1 { color: #FF0000 } .x { color: #0000FF }")});
    a.get("t").push({"styleSheet"}).get("css").op(Action::SetMember);
    a.get("t").push({"htmlText", std::string("<h1>HH</h1><p class=\"x\">HH</p>")}).op(Action::SetMember);
    ScriptStage stage(a);
    const QImage image = stage.render();
    int red = 0, blue = 0;
    for (int y = 10; y < 40; ++y)
        for (int x = 10; x < 70; ++x) {
            const QRgb p = pixel(image, x, y);
            red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
            blue += qBlue(p) > 200 && qGreen(p) < 60 && qRed(p) < 60;
        }
    EXPECT_GT(red, 10);
    EXPECT_GT(blue, 10);
}

}  // namespace
}  // namespace velmora::swf
