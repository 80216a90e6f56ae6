// Clip properties by index, as text for the component and as values for scripts.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime_fixtures.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/script/heap.h"
#include "swf/runtime/script/vm.h"

namespace velmora::test {
namespace {

using swf::clipPropertyText;

TEST(ClipProperties, FramesAsCountsAndAuthorsFrameNumbers) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(120));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mp3_mc"}).showFrame();
    auto movie = play(swf);
    swf::Clip& clip = *movie->root().childAt(1);
    clip.gotoFrame(9);
    EXPECT_EQ(clipPropertyText(clip, 5), "120");  // _totalframes
    EXPECT_EQ(clipPropertyText(clip, 12), "120");  // _framesloaded: the whole file is there
    EXPECT_EQ(clipPropertyText(clip, 4), "10");   // _currentframe counts from 1
    EXPECT_EQ(clipPropertyText(movie->root(), 5), "1");
}

TEST(ClipProperties, PlacementAsPlainDecimals) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 2000, 1000, {});  // 100 x 50 px
    SwfTagList content;
    content.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(10, content);
    swf.placeObject2({.depth = 1,
                      .characterId = 10,
                      .matrix = WriterMatrix{.scaleX = 2.0, .scaleY = 0.5, .translateX = 2410, .translateY = -60},
                      .colorTransform = WriterColorTransform{.aMult = 128},
                      .name = "box"})
        .showFrame();
    auto movie = play(swf);
    const swf::Clip& box = *movie->root().childAt(1);
    EXPECT_EQ(clipPropertyText(box, 0), "120.5");  // _x
    EXPECT_EQ(clipPropertyText(box, 1), "-3");     // _y
    EXPECT_EQ(clipPropertyText(box, 2), "200");    // _xscale
    EXPECT_EQ(clipPropertyText(box, 3), "50");     // _yscale
    EXPECT_EQ(clipPropertyText(box, 6), "50");     // _alpha
    EXPECT_EQ(clipPropertyText(box, 7), "1");      // _visible
    EXPECT_EQ(clipPropertyText(box, 8), "200");    // _width, in the parent's pixels
    EXPECT_EQ(clipPropertyText(box, 9), "25");     // _height
    EXPECT_EQ(clipPropertyText(box, 10), "0");     // _rotation
}

TEST(ClipProperties, NamesPathsAndSettings) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(1));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mp3_mc"}).showFrame();
    auto movie = play(swf);
    movie->setUrl("/lessons/a.swf");
    const swf::Clip& clip = *movie->root().childAt(1);
    EXPECT_EQ(clipPropertyText(clip, 13), "mp3_mc");
    EXPECT_EQ(clipPropertyText(clip, 11), "/mp3_mc");
    EXPECT_EQ(clipPropertyText(movie->root(), 11), "/");
    EXPECT_EQ(clipPropertyText(movie->root(), 13), "");
    EXPECT_EQ(clipPropertyText(clip, 14), "");
    EXPECT_EQ(clipPropertyText(clip, 15), "/lessons/a.swf");
    EXPECT_EQ(clipPropertyText(clip, 16), "1");
    EXPECT_EQ(clipPropertyText(clip, 19), "HIGH");
    movie->setMousePosition(200, 400);
    EXPECT_EQ(clipPropertyText(clip, 20), "10");
    EXPECT_EQ(clipPropertyText(clip, 21), "20");
    for (int i = 0; i < swf::kClipPropertyCount; ++i) EXPECT_TRUE(clipPropertyText(clip, i)) << i;
    EXPECT_FALSE(clipPropertyText(clip, -1));
    EXPECT_FALSE(clipPropertyText(clip, 22));
}

TEST(ClipProperties, RotationAndScaleOfATurnedClip) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(1));
    swf.placeObject2({.depth = 1,
                      .characterId = 10,
                      .matrix = WriterMatrix{.scaleX = 0, .scaleY = 0, .rotateSkew0 = 1, .rotateSkew1 = -1}})
        .showFrame();
    auto movie = play(swf);
    const swf::Clip& clip = *movie->root().childAt(1);
    EXPECT_EQ(clipPropertyText(clip, 10), "90");
    EXPECT_EQ(clipPropertyText(clip, 2), "100");
}

TEST(ClipProperties, ScriptsSetWhatMayBeSet) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(3));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "a"}).showFrame();
    auto movie = play(swf);
    swf::Clip& clip = *movie->root().childAt(1);
    using swf::script::Value;
    swf::script::Vm& vm = movie->vm();
    EXPECT_TRUE(swf::setClipProperty(vm, clip, 0, Value::number(15)));
    EXPECT_TRUE(swf::setClipProperty(vm, clip, 2, Value::string(vm.heap().string("50"))));
    EXPECT_TRUE(swf::setClipProperty(vm, clip, 7, Value::boolean(false)));
    EXPECT_FALSE(swf::setClipProperty(vm, clip, 5, Value::number(9)));  // read-only
    EXPECT_FALSE(swf::setClipProperty(vm, clip, 1, Value::number(std::nan(""))));
    EXPECT_EQ(clipPropertyText(clip, 0), "15");
    EXPECT_EQ(clipPropertyText(clip, 2), "50");
    EXPECT_EQ(clipPropertyText(clip, 7), "0");
    EXPECT_EQ(clipPropertyText(clip, 5), "3");
    EXPECT_EQ(clipPropertyText(clip, 1), "0");
}

TEST(ClipProperties, PlainDecimalNeverUsesAnExponent) {
    EXPECT_EQ(swf::plainDecimal(120), "120");
    EXPECT_EQ(swf::plainDecimal(-0.0), "0");
    EXPECT_EQ(swf::plainDecimal(0.1), "0.1");
    EXPECT_EQ(swf::plainDecimal(12.05), "12.05");
    EXPECT_EQ(swf::plainDecimal(1e21), "1000000000000000000000");
    EXPECT_EQ(swf::plainDecimal(2.5e-7), "0.00000025");
    EXPECT_EQ(swf::plainDecimal(std::nan("")), "NaN");
}

TEST(ClipProperties, IndexByName) {
    EXPECT_EQ(swf::clipPropertyIndex("_totalframes"), 5);
    EXPECT_EQ(swf::clipPropertyIndex("_X"), 0);
    EXPECT_EQ(swf::clipPropertyIndex("_ymouse"), 21);
    EXPECT_FALSE(swf::clipPropertyIndex("_nothing"));
}

}  // namespace
}  // namespace velmora::test
