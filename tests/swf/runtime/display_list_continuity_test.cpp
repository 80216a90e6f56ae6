// Going forward and back: which objects live on, which are made anew, what a move changes.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

using swf::Clip;

// Frame 0: sprite 10 "walker" at depth 1, rectangle 1 at depth 2.
// Frame 2: depth 2 removed.  Frame 3: rectangle 2 at depth 2.  Frame 4: walker moved to x = 400.
SwfWriter stage() {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 200, 200, {255, 0, 0});
    swf.defineRectangle(2, 0, 0, 400, 400, {0, 0, 255});
    swf.defineSprite(10, framesOnly(6));
    swf.placeObject2({.depth = 1, .characterId = 10, .matrix = WriterMatrix{.translateX = 100}, .name = "walker"});
    swf.placeObject2({.depth = 2, .characterId = 1});
    swf.doAction(Asm().stop()).showFrame();
    swf.showFrame();
    swf.removeObject2(2).showFrame();
    swf.placeObject2({.depth = 2, .characterId = 2}).showFrame();
    swf.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.translateX = 400}}).showFrame();
    return swf;
}

TEST(DisplayListContinuity, GoingForwardAppliesEveryFramePassedAndKeepsWhatStays) {
    auto movie = play(stage());
    Clip& root = movie->root();
    Clip* walker = root.childAt(1);
    ASSERT_NE(walker, nullptr);
    movie->tick();
    movie->tick();
    EXPECT_EQ(walker->currentFrame(), 2u);

    EXPECT_TRUE(root.gotoFrame(4));
    EXPECT_EQ(characterIds(root), (std::vector<uint16_t>{10, 2}));
    EXPECT_EQ(root.childAt(1), walker);  // same instance, same state
    EXPECT_EQ(walker->currentFrame(), 2u);
    EXPECT_EQ(root.displayList().at(1)->matrix.tx, 400);
    EXPECT_EQ(root.displayList().at(1)->name, "walker");  // a move keeps what it does not carry
}

TEST(DisplayListContinuity, AClipAScriptHasMovedNoLongerFollowsTheTimelinesMoves) {
    // The walker's frame 4 move changes its colour too, which the timeline keeps applying.
    SwfWriter moved;
    moved.defineRectangle(1, 0, 0, 200, 200, {255, 0, 0});
    moved.defineSprite(10, framesOnly(6));
    moved.placeObject2({.depth = 1, .characterId = 10, .matrix = WriterMatrix{.translateX = 100}, .name = "walker"});
    moved.placeObject2({.depth = 2, .characterId = 10, .matrix = WriterMatrix{.translateX = 100}, .name = "other"});
    moved.doAction(Asm().stop()).showFrame();
    moved.placeObject2({.depth = 1, .move = true, .matrix = WriterMatrix{.scaleX = 2, .translateX = 400},
                        .colorTransform = WriterColorTransform{.rAdd = 255}});
    moved.placeObject2({.depth = 2, .move = true, .matrix = WriterMatrix{.translateX = 400}}).showFrame();
    auto movie = play(moved);
    Clip& root = movie->root();
    Asm script;
    script.pushString("walker").pushInt(10).pushInt(0).op(0x23);  // setProperty(walker, _rotation, 0)
    movie->queueScript(root, std::make_shared<const std::vector<uint8_t>>(script.end().bytes()));
    movie->runPendingActions();
    EXPECT_TRUE(root.gotoFrame(1));
    EXPECT_EQ(root.displayList().at(1)->matrix.tx, 100);
    EXPECT_EQ(root.displayList().at(1)->matrix.a, 1.0);
    EXPECT_EQ(root.displayList().at(1)->colorTransform.rAdd, 255);
    EXPECT_EQ(root.displayList().at(2)->matrix.tx, 400);
    EXPECT_TRUE(root.gotoFrame(0));  // back: rebuilt from the first frame, the walker kept as it is
    EXPECT_EQ(root.displayList().at(1)->matrix.tx, 100);
    EXPECT_EQ(root.displayList().at(2)->matrix.tx, 100);
}

TEST(DisplayListContinuity, GoingBackRebuildsFromTheFirstFrameKeepingWhatStandsAtTheSameDepth) {
    auto movie = play(stage());
    Clip& root = movie->root();
    root.gotoFrame(4);
    Clip* walker = root.childAt(1);
    movie->tick();
    const size_t walkerFrame = walker->currentFrame();
    const swf::DisplayObject* blue = root.displayList().at(2).get();

    EXPECT_TRUE(root.gotoFrame(1));
    EXPECT_EQ(characterIds(root), (std::vector<uint16_t>{10, 1}));
    EXPECT_EQ(root.childAt(1), walker);
    EXPECT_EQ(walker->currentFrame(), walkerFrame);
    EXPECT_EQ(root.displayList().at(1)->matrix.tx, 100);  // the placement of the frame gone back to
    EXPECT_NE(root.displayList().at(2).get(), blue);
}

TEST(DisplayListContinuity, ARemovedAndReplacedSpriteIsANewInstance) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(5));
    swf.placeObject2({.depth = 3, .characterId = 10}).doAction(Asm().stop()).showFrame();
    swf.removeObject2(3).showFrame();
    swf.placeObject2({.depth = 3, .characterId = 10}).showFrame();
    auto movie = play(swf);
    swf::ClipHandle first = movie->root().childAt(3)->handle();
    movie->tick();
    movie->root().gotoFrame(2);
    ASSERT_NE(movie->root().childAt(3), nullptr);
    EXPECT_EQ(first.get(), nullptr);
    EXPECT_EQ(movie->root().childAt(3)->currentFrame(), 0u);
}

TEST(DisplayListContinuity, AMoveThatNamesAnotherCharacterReplacesIt) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 20, 20, {});
    swf.defineRectangle(2, 0, 0, 40, 40, {});
    swf.placeObject2({.depth = 1, .characterId = 1, .matrix = WriterMatrix{.translateY = 60}}).showFrame();
    swf.placeObject2({.depth = 1, .move = true, .characterId = 2}).showFrame();
    auto movie = play(swf);
    movie->tick();
    EXPECT_EQ(characterIds(movie->root()), std::vector<uint16_t>{2});
    EXPECT_EQ(movie->root().displayList().at(1)->matrix.ty, 60);
}

TEST(DisplayListContinuity, PlacementsThatCannotApplyAreIgnored) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 20, 20, {});
    swf.defineRectangle(2, 0, 0, 40, 40, {});
    swf.placeObject2({.depth = 1, .characterId = 1});
    swf.placeObject2({.depth = 1, .characterId = 2});   // the depth is taken
    swf.placeObject2({.depth = 2, .characterId = 99});  // nothing has that id
    swf.placeObject2({.depth = 3, .move = true});       // moves nothing
    swf.removeObject2(7);                               // removes nothing
    swf.showFrame();
    auto movie = play(swf);
    EXPECT_EQ(characterIds(movie->root()), std::vector<uint16_t>{1});
}

TEST(DisplayListContinuity, AGotoRunsOnlyTheDestinationsScriptAndSounds) {
    SwfWriter swf;
    for (const char* name : {"f0", "f1", "f2", "f3"}) swf.doAction(Asm().pushString(name).trace()).showFrame();
    auto movie = play(swf);
    movie->root().gotoFrame(3);
    movie->runPendingActions();
    movie->root().gotoFrame(3);  // the frame it is on: not entered again
    movie->runPendingActions();
    movie->root().gotoFrame(1);
    movie->runPendingActions();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"f0", "f3", "f1"}));
}

TEST(DisplayListContinuity, GotosAreClampedToTheTimeline) {
    auto movie = play(stage());
    movie->root().gotoFrame(1000);
    EXPECT_EQ(movie->root().currentFrame(), 4u);
    movie->root().nextFrame();
    EXPECT_EQ(movie->root().currentFrame(), 4u);
    movie->root().gotoFrame(0);
    movie->root().prevFrame();
    EXPECT_EQ(movie->root().currentFrame(), 0u);
}

TEST(DisplayListContinuity, LoopingBackRebuildsTheFirstFrame) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 20, 20, {});
    swf.defineRectangle(2, 0, 0, 20, 20, {});
    swf.placeObject2({.depth = 1, .characterId = 1}).showFrame();
    swf.placeObject2({.depth = 2, .characterId = 2}).showFrame();
    auto movie = play(swf);
    const swf::DisplayObject* first = movie->root().displayList().at(1).get();
    movie->tick();
    EXPECT_EQ(characterIds(movie->root()), (std::vector<uint16_t>{1, 2}));
    movie->tick();
    EXPECT_EQ(characterIds(movie->root()), std::vector<uint16_t>{1});
    EXPECT_EQ(movie->root().displayList().at(1).get(), first);
}

}  // namespace
}  // namespace velmora::test
