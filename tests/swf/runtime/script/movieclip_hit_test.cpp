// hitTest with the shape flag, and the pointer over a clip acting as a button: both follow what
// a clip paints (outlines of shapes and drawings, through masks), not the boxes around it.
#include <gtest/gtest.h>

#include "../runtime_fixtures.h"
#include "support/avm1_assembler.h"
#include "swf/runtime/pointer_input.h"

namespace velmora::test {
namespace {

using A = Avm1Assembler;
using Lines = std::vector<std::string>;

// trace(clip.hitTest(x, y, shape))
void traceHit(A& a, const std::string& clip, int x, int y, bool shape = true) {
    a.callMethod(clip, "hitTest", {PushInt{x}, PushInt{y}, shape}).trace();
}
void call(A& a, const std::string& clip, const std::string& method, const std::vector<PushItem>& args) {
    a.callMethod(clip, method, args).op(Action::Pop);
}

// Sprite 2: a right triangle, 40 pixels along each leg from its origin (its box is the square).
// Sprite 4: that triangle and a 40-pixel square, the square under a mask of its top-left 20-pixel
// quarter. Sprite 5: the square alone.
SwfWriter library() {
    SwfWriter swf;
    swf.definePolygon(1, {{0, 0}, {800, 0}, {0, 800}}, Color{255, 0, 0});
    swf.defineRectangle(3, 0, 0, 800, 800, Color{0, 0, 255});
    swf.defineRectangle(6, 0, 0, 400, 400, Color{0, 0, 0});
    SwfTagList triangle;
    triangle.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.defineSprite(2, triangle);
    SwfTagList masked;
    masked.placeObject2({.depth = 1, .characterId = 6, .clipDepth = uint16_t{2}});
    masked.placeObject2({.depth = 2, .characterId = 3}).showFrame();
    swf.defineSprite(4, masked);
    SwfTagList square;
    square.placeObject2({.depth = 1, .characterId = 3}).showFrame();
    swf.defineSprite(5, square);
    return swf;
}

WriterMatrix at(int x, int y) { return WriterMatrix{.translateX = x * 20, .translateY = y * 20}; }

TEST(MovieClipHitTest, TheShapeFlagFollowsOutlinesDrawingsNestedClipsAndMasks) {
    A a;
    traceHit(a, "tri", 30, 5);          // inside the triangle
    traceHit(a, "tri", 30, 30);         // in its box only
    traceHit(a, "tri", 30, 30, false);  // ...which is all the plain test asks
    traceHit(a, "outer", 5, 105);       // the triangle inside a clip inside a clip, moved with them
    traceHit(a, "outer", 35, 135);
    traceHit(a, "masked", 105, 5);      // the square where the mask lets it through
    traceHit(a, "masked", 125, 25);     // and where it does not
    // A drawn triangle and a drawn line 4 pixels wide.
    call(a, "_root", "createEmptyMovieClip", {"d", PushInt{1}});
    call(a, "d", "beginFill", {PushInt{0}});
    call(a, "d", "moveTo", {PushInt{200}, PushInt{0}});
    call(a, "d", "lineTo", {PushInt{240}, PushInt{0}});
    call(a, "d", "lineTo", {PushInt{200}, PushInt{40}});
    call(a, "d", "endFill", {});
    call(a, "d", "lineStyle", {PushInt{4}});
    call(a, "d", "moveTo", {PushInt{200}, PushInt{60}});
    call(a, "d", "lineTo", {PushInt{240}, PushInt{60}});
    traceHit(a, "d", 230, 5);
    traceHit(a, "d", 230, 30);
    traceHit(a, "d", 220, 61);
    traceHit(a, "d", 220, 65);
    // A script's mask: the square seen through the triangle.
    a.get("tri2").push({PushInt{1}, "sq"}).op(Action::GetVariable).push({"setMask"}).op(Action::CallMethod)
        .op(Action::Pop);
    traceHit(a, "sq", 305, 5);
    traceHit(a, "sq", 330, 30);
    traceHit(a, "sq", 330, 30, false);

    SwfWriter swf = library();
    SwfTagList outer;
    outer.placeObject2({.depth = 1, .characterId = 2, .matrix = at(0, 100)}).showFrame();
    swf.defineSprite(7, outer);
    swf.placeObject2({.depth = 1, .characterId = 2, .name = std::string("tri")});
    swf.placeObject2({.depth = 2, .characterId = 7, .name = std::string("outer")});
    swf.placeObject2({.depth = 3, .characterId = 4, .matrix = at(100, 0), .name = std::string("masked")});
    swf.placeObject2({.depth = 4, .characterId = 5, .matrix = at(300, 0), .name = std::string("sq")});
    swf.placeObject2({.depth = 5, .characterId = 2, .matrix = at(300, 0), .name = std::string("tri2")});
    swf.doAction(a.doActionBody()).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), (Lines{"true", "false", "true", "true", "false", "true", "false", "true", "false",
                                     "true", "false", "true", "false", "true"}));

    // The pointer tests a clip button the same way: the hand over the triangle, not beside it.
    A handler;
    handler.get("tri").push({"onRelease"}).defineFunction("", {}, A()).op(Action::SetMember);
    movie->queueScript(movie->root(), std::make_shared<const std::vector<uint8_t>>(handler.doActionBody()));
    movie->runPendingActions();
    swf::PointerInput pointer(*movie);
    pointer.move(30 * 20, 5 * 20);
    EXPECT_TRUE(pointer.showsHand());
    pointer.move(30 * 20, 30 * 20);
    EXPECT_FALSE(pointer.showsHand());
}

}  // namespace
}  // namespace velmora::test
