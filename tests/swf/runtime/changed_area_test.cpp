// What a step tells a view about where the stage changed.
#include <gtest/gtest.h>

#include <algorithm>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

using swf::ChangedArea;
using swf::Rect;

bool inside(const Rect& inner, const Rect& outer) {
    return inner.xMin >= outer.xMin && inner.xMax <= outer.xMax && inner.yMin >= outer.yMin &&
           inner.yMax <= outer.yMax;
}

// Whether one of the area's boxes holds r.
bool covered(const ChangedArea& area, const Rect& r) {
    return std::any_of(area.boxes().begin(), area.boxes().end(), [&](const Rect& box) { return inside(r, box); });
}

bool touches(const ChangedArea& area, const Rect& r) {
    return std::any_of(area.boxes().begin(), area.boxes().end(), [&](const Rect& box) {
        return box.xMin < r.xMax && r.xMin < box.xMax && box.yMin < r.yMax && r.yMin < box.yMax;
    });
}

TEST(ChangedArea, AStepNotesOnlyWhatItsFramesChangedWhereTheyChangedIt) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 200, 200, {255, 0, 0});
    // A sprite whose square stands still, then moves 10 px within it, then stands still again.
    SwfTagList inner;
    inner.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    inner.showFrame();
    inner.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 200}}).showFrame();
    inner.showFrame();
    swf.defineSprite(10, inner);
    swf.placeObject2({.depth = 1, .characterId = 1});
    swf.placeObject2({.depth = 2, .characterId = 10, .matrix = WriterMatrix{.translateX = 2000}});
    swf.showFrame();
    swf.showFrame();  // nothing new
    swf.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 1000}}).showFrame();
    // Placed again where it stands, and moved by the frame that follows: only the move counts.
    swf.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 1000}}).showFrame();
    auto movie = play(swf);
    EXPECT_TRUE(movie->takeChangedArea().whole());  // nothing drawn yet

    const uint64_t before = movie->changeCount();
    movie->tick();
    EXPECT_TRUE(movie->takeChangedArea().empty());
    EXPECT_EQ(movie->changeCount(), before);  // the view has nothing to draw

    movie->tick();
    const ChangedArea moved = movie->takeChangedArea();
    ASSERT_FALSE(moved.whole());
    EXPECT_TRUE(covered(moved, {0, 200, 0, 200}));        // where the square was
    EXPECT_TRUE(covered(moved, {1000, 1200, 0, 200}));    // where it is
    EXPECT_TRUE(covered(moved, {2000, 2200, 0, 200}));    // the sprite's square, on the stage
    EXPECT_TRUE(covered(moved, {2200, 2400, 0, 200}));
    EXPECT_FALSE(touches(moved, {300, 900, 0, 200}));     // nothing between them

    movie->tick();
    EXPECT_TRUE(movie->takeChangedArea().empty());
}

TEST(ChangedArea, WhatReachesBeyondItsBoxCountsAsTheWholeStage) {
    // A blur at depth 1 that moves, a mask at depth 2 over depth 3 that goes.
    const std::vector<uint8_t> blur = {1, 1, 0, 0, 4, 0, 0, 0, 4, 0, 1 << 3};
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 200, 200, {255, 0, 0});
    swf.placeObject3({.depth = 1, .characterId = 1, .rawFilterList = blur});
    swf.placeObject2({.depth = 2, .characterId = 1, .clipDepth = 3});
    swf.placeObject2({.depth = 3, .characterId = 1, .matrix = WriterMatrix{.translateX = 100}});
    swf.showFrame();
    swf.showFrame();
    swf.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 40}}).showFrame();
    swf.showFrame();
    swf.removeObject2(2).showFrame();
    auto movie = play(swf);
    movie->takeChangedArea();
    movie->tick();  // a blurred object standing still changes nothing
    EXPECT_TRUE(movie->takeChangedArea().empty());
    movie->tick();
    EXPECT_TRUE(movie->takeChangedArea().whole());
    movie->tick();
    EXPECT_TRUE(movie->takeChangedArea().empty());
    movie->tick();  // what the mask hid shows beyond its box
    EXPECT_TRUE(movie->takeChangedArea().whole());
}

}  // namespace
}  // namespace velmora::test
