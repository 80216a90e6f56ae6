// Hostile movies: growth without end is refused, never followed.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

bool noted(const swf::MovieInstance& movie, const std::string& part) {
    for (const auto& m : movie.messages()) {
        if (m.find(part) != std::string::npos) return true;
    }
    return false;
}

TEST(RuntimeLimits, ASpriteThatPlacesItselfStopsAtTheNestingLimit) {
    SwfWriter swf;
    SwfTagList self;
    self.placeObject2({.depth = 1, .characterId = 10}).showFrame();
    swf.defineSprite(10, self);
    swf.placeObject2({.depth = 1, .characterId = 10}).showFrame();
    swf::MovieInstance::Options options;
    options.limits.maxClipNesting = 8;
    auto movie = play(swf, options);
    int levels = 0;
    for (swf::Clip* c = movie->root().childAt(1); c; c = c->childAt(1)) ++levels;
    EXPECT_EQ(levels, 8);
    EXPECT_TRUE(noted(*movie, "nested too deeply"));
}

TEST(RuntimeLimits, ATreeThatMultipliesStopsAtTheObjectLimitAndFreesItsRoomOnRemoval) {
    // Each sprite places itself twice: a binary tree that would grow for ever.
    SwfWriter swf;
    SwfTagList self;
    self.placeObject2({.depth = 1, .characterId = 10}).placeObject2({.depth = 2, .characterId = 10}).showFrame();
    swf.defineSprite(10, self);
    swf.placeObject2({.depth = 1, .characterId = 10}).showFrame();
    swf.removeObject2(1).showFrame();
    swf::MovieInstance::Options options;
    options.limits.maxDisplayObjects = 500;
    auto movie = play(swf, options);
    EXPECT_EQ(movie->displayObjectCount(), 500u);
    EXPECT_TRUE(noted(*movie, "too many objects"));
    movie->tick();
    EXPECT_EQ(movie->displayObjectCount(), 0u);
}

TEST(RuntimeLimits, ButtonsShowingTheirOwnSpritesStopAtTheNestingLimitAndFreeTheirRoom) {
    // Button 20 shows itself and sprite 10 in its up state; sprite 10 places button 20 again.
    SwfWriter swf;
    SwfTagList inner;
    inner.placeObject2({.depth = 1, .characterId = 20}).showFrame();
    swf.defineSprite(10, inner);
    swf.rawTag(34, {20, 0, 0, 0, 0,              // DefineButton2 20, no actions
                    0x01, 10, 0, 1, 0, 0x00, 0x00,  // up: sprite 10 at depth 1
                    0x01, 20, 0, 2, 0, 0x00, 0x00,  // up: the button itself at depth 2
                    0x00});
    swf.placeObject2({.depth = 1, .characterId = 20}).showFrame();
    swf.removeObject2(1).showFrame();
    swf::MovieInstance::Options options;
    options.limits.maxClipNesting = 8;
    auto movie = play(swf, options);
    EXPECT_TRUE(noted(*movie, "nested too deeply"));
    // Nine buttons, each with its sprite's part; the ninth sprite stands empty.
    EXPECT_EQ(movie->displayObjectCount(), 18u);
    movie->tick();
    EXPECT_EQ(movie->displayObjectCount(), 0u);
}

TEST(RuntimeLimits, MessagesAreKeptToTheirBound) {
    SwfWriter swf;
    Asm many;
    for (int i = 0; i < 50; ++i) many.pushInt(i).trace();
    swf.doAction(many).showFrame();
    swf::MovieInstance::Options options;
    options.limits.maxMessages = 10;
    auto movie = play(swf, options);
    ASSERT_EQ(movie->messages().size(), 10u);
    EXPECT_EQ(movie->messages().back(), "trace: 49");
}

TEST(RuntimeLimits, CallsThatCallThemselvesStop) {
    // Frame 0 calls frame 1, whose script calls itself.
    SwfWriter swf;
    swf.doAction(Asm().pushInt(2).record(0x9E, {}).pushString("back").trace()).showFrame();
    swf.doAction(Asm().pushInt(2).record(0x9E, {})).showFrame();
    auto movie = play(swf);
    EXPECT_TRUE(noted(*movie, "calls nested too deeply"));
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"back"});
}

}  // namespace
}  // namespace velmora::test
