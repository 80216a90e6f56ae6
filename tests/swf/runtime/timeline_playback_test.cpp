// Playing a timeline: stepping, looping, the clock, and sprites that run on their own.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

using swf::MovieInstance;

SwfWriter threeTracedFrames() {
    SwfWriter swf;
    swf.frameRate(10);
    for (const char* name : {"f0", "f1", "f2"}) swf.doAction(Asm().pushString(name).trace()).showFrame();
    return swf;
}

TEST(TimelinePlayback, EntersTheFirstFrameAtOnceAndLoopsAfterTheLast) {
    auto movie = play(threeTracedFrames());
    EXPECT_EQ(movie->root().currentFrame(), 0u);
    EXPECT_TRUE(movie->root().isPlaying());
    for (int i = 0; i < 4; ++i) movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"f0", "f1", "f2", "f0", "f1"}));
    EXPECT_EQ(movie->root().currentFrame(), 1u);
}

TEST(TimelinePlayback, WithoutLoopingStopsOnTheLastFrame) {
    MovieInstance::Options options;
    options.loop = false;
    auto movie = play(threeTracedFrames(), options);
    for (int i = 0; i < 5; ++i) movie->tick();
    EXPECT_EQ(movie->root().currentFrame(), 2u);
    EXPECT_FALSE(movie->root().isPlaying());
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"f0", "f1", "f2"}));
}

TEST(TimelinePlayback, AStoppedMovieWaitsOnItsFirstFrame) {
    MovieInstance::Options options;
    options.startPlaying = false;
    auto movie = play(threeTracedFrames(), options);
    movie->tick();
    EXPECT_EQ(movie->root().currentFrame(), 0u);
    movie->root().play();
    movie->tick();
    EXPECT_EQ(movie->root().currentFrame(), 1u);
}

TEST(TimelinePlayback, ClockStepsAtTheFrameRateAndDropsALongStall) {
    auto movie = play(threeTracedFrames());  // 10 fps
    movie->advance(0.25);
    EXPECT_EQ(movie->tickCount(), 2u);
    movie->advance(0.05);  // the 0.05 s left over completes the third interval
    EXPECT_EQ(movie->tickCount(), 3u);
    movie->advance(60.0);  // a minute's stall catches up only a few frames
    EXPECT_EQ(movie->tickCount(), 3u + movie->limits().maxCatchUpFrames);
    movie->advance(0.05);
    EXPECT_EQ(movie->tickCount(), 3u + movie->limits().maxCatchUpFrames);  // the backlog is gone
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        movie->advance(bad);
    }
    EXPECT_EQ(movie->tickCount(), 3u + movie->limits().maxCatchUpFrames);
}

TEST(TimelinePlayback, RateZeroPlaysAtTheFrameCap) {
    SwfWriter swf = threeTracedFrames();
    swf.frameRate(0);
    MovieInstance::Options options;
    options.frameCap = 50;
    auto movie = play(swf, options);
    EXPECT_DOUBLE_EQ(movie->frameRate(), 50.0);
    movie->advance(0.1);
    EXPECT_EQ(movie->tickCount(), 5u);
}

TEST(TimelinePlayback, SpritesRunOnWhileTheRootIsStoppedAndLoopOnTheirOwn) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(3));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "spin"});
    swf.doAction(Asm().stop()).showFrame();
    swf.showFrame();
    auto movie = play(swf);
    swf::Clip* spin = movie->root().childAt(1);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->currentFrame(), 0u);
    std::vector<size_t> seen;
    for (int i = 0; i < 4; ++i) {
        movie->tick();
        seen.push_back(spin->currentFrame());
    }
    EXPECT_EQ(movie->root().currentFrame(), 0u);
    EXPECT_EQ(seen, (std::vector<size_t>{1, 2, 0, 1}));
}

TEST(TimelinePlayback, ASingleFrameTimelineRunsItsScriptOnce) {
    SwfWriter swf;
    swf.doAction(Asm().pushString("once").trace()).showFrame();
    auto movie = play(swf);
    for (int i = 0; i < 3; ++i) movie->tick();
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"once"});
}

TEST(TimelinePlayback, AClipPlacedDuringATickShowsItsFirstFrameUntilTheNext) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(4));
    swf.showFrame();
    swf.placeObject2({.depth = 1, .characterId = 10}).showFrame();
    swf.showFrame();
    auto movie = play(swf);
    movie->tick();
    ASSERT_NE(movie->root().childAt(1), nullptr);
    EXPECT_EQ(movie->root().childAt(1)->currentFrame(), 0u);
    movie->tick();
    EXPECT_EQ(movie->root().childAt(1)->currentFrame(), 1u);
}

TEST(TimelinePlayback, AnEmptyMovieHasNoFramesAndDoesNothing) {
    SwfWriter swf;
    auto movie = play(swf);
    EXPECT_EQ(movie->root().frameCount(), 0u);
    movie->tick();
    EXPECT_FALSE(movie->root().gotoFrame(3));
    movie->root().nextFrame();
    movie->root().prevFrame();
    EXPECT_EQ(movie->root().currentFrame(), 0u);
}

}  // namespace
}  // namespace velmora::test
