// flash.display.BitmapData: pixels set and read back, fills and copies, drawing clips and
// pictures into it, the library's bitmaps, and pictures shown with attachBitmap.
#include <gtest/gtest.h>
#include <zlib.h>

#include "render_test_support.h"
#include "script_stage.h"

namespace velmora::swf::test {
namespace {

using Lines = std::vector<std::string>;
using velmora::test::Action;
using velmora::test::PushInt;
using velmora::test::SwfWriter;

void traceMember(Avm1Assembler& a, const std::string& object, const std::string& member) {
    a.get(object).push({member}).op(Action::GetMember).trace();
}

TEST(BitmapDataTest, SizesColoursAndTheLimitsOfANewPicture) {
    Avm1Assembler a;
    newBitmapData(a, "o", {PushInt{10}, PushInt{5}, false, double(0xFF00FF00)});
    traceMember(a, "o", "width");
    traceMember(a, "o", "height");
    traceMember(a, "o", "transparent");
    traceCall(a, "o", "getPixel", {PushInt{0}, PushInt{0}});
    traceCall(a, "o", "getPixel32", {PushInt{9}, PushInt{4}});
    traceCall(a, "o", "getPixel32", {PushInt{10}, PushInt{0}});  // outside
    // Transparent white by default.
    newBitmapData(a, "t", {PushInt{3}, PushInt{3}});
    traceCall(a, "t", "getPixel32", {PushInt{1}, PushInt{1}});
    a.get("t").push({"rectangle"}).op(Action::GetMember).push({"width"}).op(Action::GetMember).trace();
    // A side past 2880 pixels makes no picture.
    newBitmapData(a, "big", {PushInt{2881}, PushInt{10}});
    traceMember(a, "big", "width");
    call(a, "o", "dispose", {});
    traceMember(a, "o", "width");
    traceCall(a, "o", "getPixel", {PushInt{0}, PushInt{0}});
    ScriptStage stage(a);
    EXPECT_EQ(stage.traces(),
              (Lines{"10", "5", "false", "65280", "4278255360", "0", "4294967295", "3", "-1", "-1", "0"}));
}

TEST(BitmapDataTest, SetPixelKeepsAlphaAndOpaquePicturesStayOpaque) {
    Avm1Assembler a;
    newBitmapData(a, "t", {PushInt{4}, PushInt{4}, true, 0.0});
    call(a, "t", "setPixel32", {PushInt{1}, PushInt{1}, double(0x80FF0000)});
    traceCall(a, "t", "getPixel32", {PushInt{1}, PushInt{1}});
    call(a, "t", "setPixel", {PushInt{1}, PushInt{1}, double(0x00FF00)});
    traceCall(a, "t", "getPixel32", {PushInt{1}, PushInt{1}});
    call(a, "t", "setPixel32", {PushInt{-1}, PushInt{1}, double(0xFFFFFFFF)});  // outside: nothing
    newBitmapData(a, "o", {PushInt{4}, PushInt{4}, false, 0.0});
    call(a, "o", "setPixel32", {PushInt{2}, PushInt{2}, double(0x10203040)});
    traceCall(a, "o", "getPixel32", {PushInt{2}, PushInt{2}});
    ScriptStage stage(a);
    EXPECT_EQ(stage.traces(), (Lines{"2164195328", "2147548928", "4280299584"}));
}

TEST(BitmapDataTest, FillRectCopyPixelsCloneAndNoise) {
    Avm1Assembler a;
    newBitmapData(a, "p", {PushInt{4}, PushInt{4}, false, 0.0});
    setObject(a, "r", {{"x", 1.0}, {"y", 1.0}, {"width", 2.0}, {"height", 9.0}});
    call(a, "p", "fillRect", {Var{"r"}, double(0xFF0000FF)});
    traceCall(a, "p", "getPixel", {PushInt{2}, PushInt{3}});
    traceCall(a, "p", "getPixel", {PushInt{3}, PushInt{3}});
    // The blue block copied over itself one pixel to the left: the copy reads before it writes.
    setObject(a, "src", {{"x", 1.0}, {"y", 0.0}, {"width", 3.0}, {"height", 4.0}});
    setObject(a, "at", {{"x", 0.0}, {"y", 0.0}});
    call(a, "p", "copyPixels", {Var{"p"}, Var{"src"}, Var{"at"}});
    traceCall(a, "p", "getPixel", {PushInt{0}, PushInt{2}});
    traceCall(a, "p", "getPixel", {PushInt{1}, PushInt{2}});
    traceCall(a, "p", "getPixel", {PushInt{2}, PushInt{2}});
    // Half-transparent red merged over an opaque picture.
    newBitmapData(a, "h", {PushInt{1}, PushInt{1}, true, double(0x80FF0000)});
    setObject(a, "one", {{"x", 0.0}, {"y", 0.0}, {"width", 1.0}, {"height", 1.0}});
    call(a, "p", "copyPixels", {Var{"h"}, Var{"one"}, Var{"at"}, Var{"none"}, Var{"none"}, true});
    traceCall(a, "p", "getPixel", {PushInt{0}, PushInt{0}});
    // A clone goes its own way.
    call(a, "p", "clone", {}, "c");
    call(a, "c", "setPixel", {PushInt{3}, PushInt{3}, double(0xFFFFFF)});
    traceCall(a, "p", "getPixel", {PushInt{3}, PushInt{3}});
    traceCall(a, "c", "getPixel", {PushInt{3}, PushInt{3}});
    // Noise: the same seed gives the same picture, within its range.
    newBitmapData(a, "n1", {PushInt{8}, PushInt{8}, false});
    newBitmapData(a, "n2", {PushInt{8}, PushInt{8}, false});
    call(a, "n1", "noise", {PushInt{7}, PushInt{16}, PushInt{32}, PushInt{1}});
    call(a, "n2", "noise", {PushInt{7}, PushInt{16}, PushInt{32}, PushInt{1}});
    ScriptStage stage(a);
    EXPECT_EQ(stage.traces(), (Lines{"255", "0", "255", "255", "0", "8388608", "0", "16777215"}));
    // The noise pictures compared pixel by pixel from here.
    const auto pixelOf = [&](const char* name, int x, int y) {
        Avm1Assembler t;
        traceCall(t, name, "getPixel", {PushInt{x}, PushInt{y}});
        stage.run(t);
        return std::stoul(stage.traces().back());
    };
    for (int i = 0; i < 8; ++i) {
        const unsigned long one = pixelOf("n1", i, i), two = pixelOf("n2", i, i);
        EXPECT_EQ(one, two);
        EXPECT_GE(one >> 16, 16u);
        EXPECT_LE(one >> 16, 32u);
        EXPECT_EQ(one & 0xFFFF, 0u);  // red only
    }
}

TEST(BitmapDataTest, DrawTakesAClipOrAPictureThroughItsMatrix) {
    Avm1Assembler a;
    call(a, "s", "beginFill", {double(0xFF0000)});
    call(a, "s", "moveTo", {0.0, 0.0});
    call(a, "s", "lineTo", {10.0, 0.0});
    call(a, "s", "lineTo", {10.0, 10.0});
    call(a, "s", "lineTo", {0.0, 10.0});
    call(a, "s", "endFill", {});
    newBitmapData(a, "b", {PushInt{40}, PushInt{40}, false, double(0xFFFFFF)});
    // Twice as large, 20 pixels right: the clip's own position does not count.
    setObject(a, "m", {{"a", 2.0}, {"b", 0.0}, {"c", 0.0}, {"d", 2.0}, {"tx", 20.0}, {"ty", 0.0}});
    call(a, "b", "draw", {Var{"s"}, Var{"m"}});
    traceCall(a, "b", "getPixel", {PushInt{25}, PushInt{15}});
    traceCall(a, "b", "getPixel", {PushInt{15}, PushInt{15}});
    traceCall(a, "b", "getPixel", {PushInt{25}, PushInt{25}});
    // A picture drawn into another, tinted to half its red.
    setObject(a, "tint", {{"redMultiplier", 0.5}});
    setObject(a, "down", {{"a", 1.0}, {"d", 1.0}, {"tx", 0.0}, {"ty", 30.0}});
    newBitmapData(a, "c", {PushInt{40}, PushInt{40}, false, 0.0});
    call(a, "c", "draw", {Var{"b"}, Var{"down"}, Var{"tint"}});
    traceCall(a, "c", "getPixel", {PushInt{25}, PushInt{35}});
    traceCall(a, "c", "getPixel", {PushInt{25}, PushInt{5}});
    ScriptStage stage(a, [](SwfWriter& swf) {
        velmora::test::SwfTagList empty;
        empty.showFrame();
        swf.defineSprite(2, empty);
        swf.placeObject2({.depth = 1, .characterId = 2,
                          .matrix = velmora::test::WriterMatrix{.translateX = 600, .translateY = 600}, .name = "s"});
    });
    const Lines traces = stage.traces();
    ASSERT_EQ(traces.size(), 5u);
    EXPECT_EQ(Lines(traces.begin(), traces.begin() + 3), (Lines{"16711680", "16777215", "16777215"}));
    const unsigned long tinted = std::stoul(traces[3]);
    EXPECT_NEAR(double(tinted >> 16), 127.5, 1.0);
    EXPECT_EQ(tinted & 0xFFFF, 0u);
    EXPECT_EQ(traces[4], "0");
}

// DefineBitsLossless of 2 x 1 pixels, red then blue, exported as "pic".
void defineLibraryPicture(SwfWriter& swf) {
    const uint8_t pixels[] = {0, 255, 0, 0, 0, 0, 0, 255};
    uLongf size = compressBound(sizeof pixels);
    std::vector<uint8_t> packed(size);
    ASSERT_EQ(compress(packed.data(), &size, pixels, sizeof pixels), Z_OK);
    std::vector<uint8_t> body{5, 0, 5, 2, 0, 1, 0};
    body.insert(body.end(), packed.begin(), packed.begin() + long(size));
    swf.rawTag(20, body);
    swf.exportAssets({{5, "pic"}});
}

TEST(BitmapDataTest, LibraryBitmapsLoadAndAttachedPicturesShowTheirChanges) {
    Avm1Assembler a;
    call(a, "flash.display.BitmapData", "loadBitmap", {std::string("pic")}, "p");
    traceMember(a, "p", "width");
    traceCall(a, "p", "getPixel", {PushInt{1}, PushInt{0}});
    call(a, "flash.display.BitmapData", "loadBitmap", {std::string("nothing")}, "q");
    a.get("q").trace();
    // A 20 x 20 green picture shown at depth 5.
    newBitmapData(a, "g", {PushInt{20}, PushInt{20}, false, double(0x00FF00)});
    call(a, "_root", "attachBitmap", {Var{"g"}, PushInt{5}});
    ScriptStage stage(a, defineLibraryPicture);
    EXPECT_EQ(stage.traces(), (Lines{"2", "255", "undefined"}));
    QImage image = stage.render();
    EXPECT_EQ(pixel(image, 10, 10), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(image, 25, 10), qRgb(255, 255, 255));
    Avm1Assembler later;
    setObject(later, "r", {{"x", 0.0}, {"y", 0.0}, {"width", 10.0}, {"height", 20.0}});
    call(later, "g", "fillRect", {Var{"r"}, double(0xFF0000FF)});
    stage.run(later);
    image = stage.render();
    EXPECT_EQ(pixel(image, 5, 10), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(image, 15, 10), qRgb(0, 255, 0));
}

}  // namespace
}  // namespace velmora::swf::test
