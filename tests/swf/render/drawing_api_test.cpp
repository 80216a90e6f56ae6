// The drawing API seen in the rendered picture: fills, strokes, gradients, bitmap fills, what is
// drawn against the clip's children, its size, and the bound on what one clip keeps.
#include <gtest/gtest.h>

#include <algorithm>

#include "render_test_support.h"
#include "script_stage.h"

namespace velmora::swf::test {
namespace {

using velmora::test::PushInt;
using velmora::test::PushUndefined;
using velmora::test::SwfWriter;

// moveTo and lineTo round a w x h box at (x, y); endFill is left to the caller.
void box(Avm1Assembler& a, const std::string& clip, double x, double y, double w, double h) {
    call(a, clip, "moveTo", {x, y});
    call(a, clip, "lineTo", {x + w, y});
    call(a, clip, "lineTo", {x + w, y + h});
    call(a, clip, "lineTo", {x, y + h});
}

bool near(QRgb a, QRgb b, int tolerance = 6) { return colorDistance(a, b) <= tolerance; }

TEST(DrawingFillTest, AFilledSquareCoversItsInsideOnlyAndEndFillClosesIt) {
    Avm1Assembler a;
    call(a, "_root", "beginFill", {double(0xFF0000)});
    // Three sides: endFill draws the fourth.
    call(a, "_root", "moveTo", {20.0, 20.0});
    call(a, "_root", "lineTo", {60.0, 20.0});
    call(a, "_root", "lineTo", {60.0, 60.0});
    call(a, "_root", "lineTo", {20.0, 60.0});
    call(a, "_root", "endFill", {});
    // Half transparent blue over the lower right corner of it.
    call(a, "_root", "beginFill", {double(0x0000FF), 50.0});
    box(a, "_root", 50, 50, 30, 30);
    call(a, "_root", "endFill", {});
    ScriptStage stage(a);
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 40, 40), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 21, 58), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 65, 30), qRgb(255, 255, 255));
    EXPECT_TRUE(near(pixel(image, 55, 55), qRgb(127, 0, 128))) << std::hex << pixel(image, 55, 55);
    EXPECT_TRUE(near(pixel(image, 70, 70), qRgb(127, 127, 255))) << std::hex << pixel(image, 70, 70);
}

TEST(DrawingFillTest, OverlappingSubpathsOfOneFillLeaveAHoleAndCurvesBend) {
    Avm1Assembler a;
    call(a, "_root", "beginFill", {double(0x00FF00)});
    box(a, "_root", 10, 10, 40, 40);
    box(a, "_root", 20, 20, 20, 20);  // the move starts a second subpath: a hole
    call(a, "_root", "endFill", {});
    // A curve from (10, 90) over (50, 50) to (90, 90): its middle reaches y = 70.
    call(a, "_root", "beginFill", {double(0x0000FF)});
    call(a, "_root", "moveTo", {10.0, 90.0});
    call(a, "_root", "curveTo", {50.0, 50.0, 90.0, 90.0});
    call(a, "_root", "endFill", {});
    ScriptStage stage(a);
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 15, 15), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(image, 30, 30), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 50, 74), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 50, 66), qRgb(255, 255, 255));
}

TEST(DrawingLineTest, StrokesHaveTheirThicknessAndStopWithoutAStyle) {
    Avm1Assembler a;
    call(a, "_root", "lineStyle", {10.0, double(0x0000FF), 100.0});
    call(a, "_root", "moveTo", {10.0, 30.0});
    call(a, "_root", "lineTo", {90.0, 30.0});
    // A hairline stays one pixel wide.
    call(a, "_root", "lineStyle", {0.0, double(0xFF0000)});
    call(a, "_root", "moveTo", {10.0, 60.5});
    call(a, "_root", "lineTo", {90.0, 60.5});
    // No thickness: the line is drawn for the pen but not stroked.
    call(a, "_root", "lineStyle", {PushUndefined{}});
    call(a, "_root", "moveTo", {10.0, 80.0});
    call(a, "_root", "lineTo", {90.0, 80.0});
    ScriptStage stage(a);
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 50, 26), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 50, 33), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 50, 22), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 50, 37), qRgb(255, 255, 255));
    EXPECT_TRUE(near(pixel(image, 50, 60), qRgb(255, 0, 0), 40)) << std::hex << pixel(image, 50, 60);
    EXPECT_EQ(pixel(image, 50, 62), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 50, 80), qRgb(255, 255, 255));
}

TEST(DrawingLineTest, SquareCapsReachPastTheEndsAndGradientLinesShade) {
    Avm1Assembler a;
    // capsStyle "none" ends at the end point, "square" half the thickness beyond it.
    call(a, "_root", "lineStyle", {10.0, 0.0, 100.0, false, std::string("normal"), std::string("none")});
    call(a, "_root", "moveTo", {20.0, 20.0});
    call(a, "_root", "lineTo", {50.0, 20.0});
    call(a, "_root", "lineStyle", {10.0, 0.0, 100.0, false, std::string("normal"), std::string("square")});
    call(a, "_root", "moveTo", {20.0, 40.0});
    call(a, "_root", "lineTo", {50.0, 40.0});
    // A thick line shaded red to blue along x.
    setArray(a, "colours", {double(0xFF0000), double(0x0000FF)});
    setArray(a, "alphas", {100.0, 100.0});
    setArray(a, "ratios", {0.0, 255.0});
    setObject(a, "m", {{"matrixType", std::string("box")}, {"x", 10.0}, {"y", 0.0}, {"w", 80.0}, {"h", 100.0},
                       {"r", 0.0}});
    call(a, "_root", "lineStyle", {20.0});
    call(a, "_root", "lineGradientStyle",
         {std::string("linear"), Var{"colours"}, Var{"alphas"}, Var{"ratios"}, Var{"m"}});
    call(a, "_root", "moveTo", {10.0, 80.0});
    call(a, "_root", "lineTo", {90.0, 80.0});
    ScriptStage stage(a);
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 18, 20), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 52, 20), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 18, 40), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(image, 53, 40), qRgb(0, 0, 0));
    EXPECT_TRUE(near(pixel(image, 12, 80), qRgb(255, 0, 0), 20)) << std::hex << pixel(image, 12, 80);
    EXPECT_TRUE(near(pixel(image, 88, 80), qRgb(0, 0, 255), 20)) << std::hex << pixel(image, 88, 80);
}

TEST(DrawingGradientTest, TheEndsShowTheEndColoursInEveryMatrixForm) {
    Avm1Assembler a;
    setArray(a, "colours", {double(0xFF0000), double(0x0000FF)});
    setArray(a, "alphas", {100.0, 100.0});
    setArray(a, "ratios", {0.0, 255.0});
    // The box form over the top half...
    setObject(a, "box", {{"matrixType", std::string("box")}, {"x", 0.0}, {"y", 0.0}, {"w", 100.0}, {"h", 50.0},
                         {"r", 0.0}});
    call(a, "_root", "beginGradientFill",
         {std::string("linear"), Var{"colours"}, Var{"alphas"}, Var{"ratios"}, Var{"box"}});
    box(a, "_root", 0, 0, 100, 50);
    call(a, "_root", "endFill", {});
    // ...and the same fit written as a matrix over the bottom half, reflected beyond its square.
    setObject(a, "m", {{"a", 100.0 / 1638.4}, {"b", 0.0}, {"c", 0.0}, {"d", 50.0 / 1638.4}, {"tx", 50.0},
                       {"ty", 75.0}});
    call(a, "_root", "beginGradientFill",
         {std::string("linear"), Var{"colours"}, Var{"alphas"}, Var{"ratios"}, Var{"m"}, std::string("reflect")});
    box(a, "_root", 0, 50, 100, 50);
    call(a, "_root", "endFill", {});
    ScriptStage stage(a);
    const QImage image = stage.render();
    for (int y : {25, 75}) {
        EXPECT_TRUE(near(pixel(image, 1, y), qRgb(255, 0, 0), 10)) << y << std::hex << " " << pixel(image, 1, y);
        EXPECT_TRUE(near(pixel(image, 98, y), qRgb(0, 0, 255), 10)) << y << std::hex << " " << pixel(image, 98, y);
        EXPECT_TRUE(near(pixel(image, 50, y), qRgb(128, 0, 127), 12)) << y << std::hex << " " << pixel(image, 50, y);
    }
}

TEST(DrawingGradientTest, ARadialGradientIsCentredOnItsBox) {
    Avm1Assembler a;
    setArray(a, "colours", {double(0xFFFFFF), double(0x000000)});
    setArray(a, "alphas", {100.0, 100.0});
    setArray(a, "ratios", {0.0, 255.0});
    setObject(a, "box", {{"matrixType", std::string("box")}, {"x", 0.0}, {"y", 0.0}, {"w", 100.0}, {"h", 100.0},
                         {"r", 0.0}});
    call(a, "_root", "beginGradientFill",
         {std::string("radial"), Var{"colours"}, Var{"alphas"}, Var{"ratios"}, Var{"box"}});
    box(a, "_root", 0, 0, 100, 100);
    call(a, "_root", "endFill", {});
    ScriptStage stage(a);
    const QImage image = stage.render();
    EXPECT_TRUE(near(pixel(image, 50, 50), qRgb(255, 255, 255), 10));
    EXPECT_TRUE(near(pixel(image, 1, 50), qRgb(0, 0, 0), 10));
    EXPECT_TRUE(near(pixel(image, 2, 2), qRgb(0, 0, 0), 10));
}

TEST(DrawingBitmapFillTest, APictureFillsTiledOrWithItsEdgesStretched) {
    Avm1Assembler a;
    // A 2 x 2 picture: red, green / blue, black.
    newBitmapData(a, "b", {PushInt{2}, PushInt{2}, false, 0.0});
    call(a, "b", "setPixel", {PushInt{0}, PushInt{0}, double(0xFF0000)});
    call(a, "b", "setPixel", {PushInt{1}, PushInt{0}, double(0x00FF00)});
    call(a, "b", "setPixel", {PushInt{0}, PushInt{1}, double(0x0000FF)});
    setObject(a, "m", {{"a", 10.0}, {"b", 0.0}, {"c", 0.0}, {"d", 10.0}, {"tx", 0.0}, {"ty", 0.0}});
    call(a, "_root", "beginBitmapFill", {Var{"b"}, Var{"m"}, true});
    box(a, "_root", 0, 0, 50, 40);
    call(a, "_root", "endFill", {});
    setObject(a, "n", {{"a", 10.0}, {"b", 0.0}, {"c", 0.0}, {"d", 10.0}, {"tx", 0.0}, {"ty", 60.0}});
    call(a, "_root", "beginBitmapFill", {Var{"b"}, Var{"n"}, false});
    box(a, "_root", 0, 60, 50, 40);
    call(a, "_root", "endFill", {});
    ScriptStage stage(a);
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 15, 5), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(image, 5, 15), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 25, 25), qRgb(255, 0, 0));  // tiled: the picture again
    EXPECT_EQ(pixel(image, 5, 65), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 45, 65), qRgb(0, 255, 0));  // clipped: the right edge stretched
    EXPECT_EQ(pixel(image, 45, 95), qRgb(0, 0, 0));
    // The fill shows the picture as it is now.
    Avm1Assembler change;
    call(change, "b", "setPixel", {PushInt{0}, PushInt{0}, double(0xFFFF00)});
    stage.run(change);
    EXPECT_EQ(pixel(stage.render(), 5, 5), qRgb(255, 255, 0));
}

TEST(DrawingClipTest, TheDrawingLiesUnderChildrenAndClearRemovesIt) {
    Avm1Assembler a;
    call(a, "_root", "beginFill", {double(0xFF0000)});
    box(a, "_root", 0, 0, 100, 100);
    call(a, "_root", "endFill", {});
    ScriptStage stage(a, [](SwfWriter& swf) {
        swf.defineRectangle(1, 400, 400, 400, 400, {0, 255, 0});
        swf.placeObject2({.depth = 1, .characterId = 1});
    });
    QImage image = stage.render();
    EXPECT_EQ(pixel(image, 30, 30), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 0, 0));
    Avm1Assembler wipe;
    call(wipe, "_root", "clear", {});
    stage.run(wipe);
    image = stage.render();
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 30, 30), qRgb(0, 255, 0));
}

TEST(DrawingClipTest, ASpritesDrawingCountsInItsSizeAndMovesWithIt) {
    Avm1Assembler a;
    call(a, "s", "lineStyle", {10.0, 0.0});
    call(a, "s", "beginFill", {double(0x0000FF)});
    box(a, "s", 0, 0, 40, 20);
    call(a, "s", "endFill", {});
    a.get("s").push({"_width"}).op(velmora::test::Action::GetMember).trace();
    a.get("s").push({"_height"}).op(velmora::test::Action::GetMember).trace();
    ScriptStage stage(a, [](SwfWriter& swf) {
        velmora::test::SwfTagList empty;
        empty.showFrame();
        swf.defineSprite(2, empty);
        swf.placeObject2({.depth = 1, .characterId = 2,
                          .matrix = velmora::test::WriterMatrix{.translateX = 1000, .translateY = 1000}, .name = "s"});
    });
    // The stroke reaches half its thickness beyond the path.
    EXPECT_EQ(stage.traces(), (std::vector<std::string>{"50", "30"}));
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 70, 60), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 50, 50), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(image, 20, 20), qRgb(255, 255, 255));
}

TEST(DrawingClipTest, ADuplicateShowsWhatItsOriginalDrew) {
    Avm1Assembler a;
    call(a, "_root", "createEmptyMovieClip", {std::string("c"), 1.0}, "c");
    call(a, "c", "beginFill", {double(0xFF0000)});
    box(a, "c", 0, 0, 20, 20);
    call(a, "c", "endFill", {});
    call(a, "c", "duplicateMovieClip", {std::string("d"), 2.0}, "d");
    a.get("d").push({std::string("_x"), 50.0}).op(velmora::test::Action::SetMember);
    ScriptStage stage(a);
    QImage image = stage.render();
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 60, 10), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(image, 35, 10), qRgb(255, 255, 255));
    // Clearing the original leaves the copy's own drawing.
    Avm1Assembler wipe;
    call(wipe, "c", "clear", {});
    stage.run(wipe);
    image = stage.render();
    EXPECT_EQ(pixel(image, 10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(image, 60, 10), qRgb(255, 0, 0));
}

TEST(DrawingClipTest, DrawingsKeepABoundedNumberOfCommandsUntilCleared) {
    Avm1Assembler a;
    call(a, "_root", "lineStyle", {2.0, 0.0});
    for (int i = 0; i < 12; ++i) call(a, "_root", "lineTo", {double(i * 8), 10.0});
    // Cleared, the root's commands count no more, here or in the movie's total.
    call(a, "_root", "clear", {});
    call(a, "_root", "lineStyle", {4.0, 0.0});
    call(a, "_root", "moveTo", {0.0, 50.0});
    call(a, "_root", "lineTo", {100.0, 50.0});
    // 3 + 7 reach the movie's 10: the sprite's last lines are refused.
    call(a, "s", "lineStyle", {4.0, 0.0});
    for (int i = 0; i < 8; ++i) call(a, "s", "lineTo", {double(i * 10), 80.0 + (i % 2) * 10});
    MovieInstance::Options options;
    options.limits.maxDrawingCommands = 8;
    options.limits.maxDrawingCommandsPerMovie = 10;
    ScriptStage stage(a, [](SwfWriter& swf) {
        velmora::test::SwfTagList empty;
        empty.showFrame();
        swf.defineSprite(2, empty);
        swf.placeObject2({.depth = 1, .characterId = 2, .name = "s"});
    }, options);
    const auto messages = stage.messages();
    auto count = [&](const std::string& text) {
        return std::count_if(messages.begin(), messages.end(),
                             [&](const std::string& m) { return m.find(text) != std::string::npos; });
    };
    EXPECT_EQ(count("drawing reached 8 commands"), 1);
    EXPECT_EQ(count("drawings reached 10 commands"), 1);
    const QImage image = stage.render();
    EXPECT_EQ(pixel(image, 50, 50), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(image, 25, 85), qRgb(0, 0, 0));   // the sprite's first lines
    EXPECT_EQ(pixel(image, 65, 85), qRgb(255, 255, 255));  // its last ones, refused
}

}  // namespace
}  // namespace velmora::swf::test
