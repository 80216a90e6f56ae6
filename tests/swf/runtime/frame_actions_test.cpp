// Frame scripts: when they run, in which order, and the SWF 3 actions they use.
#include <gtest/gtest.h>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

SwfTagList tracedSprite(const std::string& name, int frames) {
    SwfTagList t;
    for (int i = 0; i < frames; ++i) t.doAction(Asm().pushString(name + std::to_string(i)).trace()).showFrame();
    return t;
}

TEST(FrameActions, RunParentFirstThenChildrenByDepthDepthFirst) {
    SwfWriter swf;
    SwfTagList inner = tracedSprite("C", 2);
    swf.defineSprite(12, inner);
    SwfTagList b;
    b.placeObject2({.depth = 1, .characterId = 12});
    b.doAction(Asm().pushString("B0").trace()).showFrame();
    b.doAction(Asm().pushString("B1").trace()).showFrame();
    swf.defineSprite(11, b);
    swf.defineSprite(10, tracedSprite("A", 2));
    swf.placeObject2({.depth = 2, .characterId = 10});
    swf.placeObject2({.depth = 1, .characterId = 11});
    swf.doAction(Asm().pushString("root0").trace()).showFrame();
    swf.doAction(Asm().pushString("root1").trace()).showFrame();
    auto movie = play(swf);
    movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"root0", "B0", "C0", "A0", "root1", "B1", "C1", "A1"}));
}

TEST(FrameActions, AScriptSeesTheClipsPlacedOnItsOwnFrame) {
    SwfWriter swf;
    swf.defineSprite(10, framesOnly(3));
    swf.doAction(Asm().setTarget("later").nextFrame().setTarget(""));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "later"}).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(movie->root().childAt(1)->currentFrame(), 1u);
    EXPECT_FALSE(movie->root().childAt(1)->isPlaying());
}

TEST(FrameActions, InitActionsRunOnceBeforeTheFrameThatFirstPlacesTheSprite) {
    SwfWriter swf;
    swf.defineSprite(10, tracedSprite("S", 1));
    swf.doInitAction(10, Asm().pushString("init").trace().bytes());
    swf.showFrame();
    swf.placeObject2({.depth = 1, .characterId = 10});
    swf.doAction(Asm().pushString("root1").trace()).showFrame();
    swf.removeObject2(1).showFrame();
    swf.placeObject2({.depth = 1, .characterId = 10}).showFrame();
    auto movie = play(swf);
    EXPECT_TRUE(traces(*movie).empty());
    for (int i = 0; i < 3; ++i) movie->tick();
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"init", "root1", "S0", "S0"}));
}

TEST(FrameActions, TimelineActionsOfSwf3) {
    SwfWriter swf(4);
    swf.defineSprite(10, framesOnly(5));
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "a"});
    swf.frameLabel("start");
    swf.doAction(Asm().setTarget("a").gotoFrame(3).stop().setTarget("").gotoLabel("End").play()).showFrame();
    swf.showFrame();
    swf.frameLabel("end").showFrame();
    auto movie = play(swf);
    swf::Clip* a = movie->root().childAt(1);
    EXPECT_EQ(a->currentFrame(), 3u);
    EXPECT_FALSE(a->isPlaying());
    EXPECT_EQ(movie->root().currentFrame(), 2u);  // labels match regardless of case
    EXPECT_TRUE(movie->root().isPlaying());
}

TEST(FrameActions, NextAndPreviousFrameStopOnTheFrameMovedTo) {
    SwfWriter swf;
    swf.showFrame();
    swf.doAction(Asm().nextFrame()).showFrame();
    swf.showFrame();
    swf.doAction(Asm().prevFrame().prevFrame()).showFrame();
    auto movie = play(swf);
    movie->tick();
    EXPECT_EQ(movie->root().currentFrame(), 2u);
    EXPECT_FALSE(movie->root().isPlaying());
}

TEST(FrameActions, AScriptAddressingAMissingClipDoesNothingUntilTheNextSetTarget) {
    SwfWriter swf;
    swf.doAction(Asm().setTarget("nobody").stop().setTarget("").pushString("after").trace()).showFrame();
    swf.showFrame();
    auto movie = play(swf);
    EXPECT_TRUE(movie->root().isPlaying());
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"after"});
    EXPECT_TRUE(hasMessageContaining(*movie, "nobody"));
}

TEST(FrameActions, GetUrlOpensNothingAndIsNoted) {
    SwfWriter swf;
    swf.doAction(Asm().getUrl("http://example.com/", "_blank").getUrl("FSCommand:quit", "")).showFrame();
    auto movie = play(swf);
    EXPECT_TRUE(hasMessageContaining(*movie, "refused to open \"http://example.com/\""));
    EXPECT_TRUE(hasMessageContaining(*movie, "FSCommand:quit"));
}

TEST(FrameActions, WaitForFrameNeverSkipsInAMovieThatIsLoaded) {
    SwfWriter swf;
    swf.doAction(Asm()
                     .waitForFrame(1, 1).pushString("have 1").trace()  // the skip covers the push only
                     .waitForFrame(9, 2).pushString("have 9").trace()
                     .pushString("done").trace())
        .showFrame();
    swf.showFrame();
    auto movie = play(swf);
    // Even a frame past the last counts as loaded, as in the reference player's logs.
    EXPECT_EQ(traces(*movie), (std::vector<std::string>{"have 1", "have 9", "done"}));
}

TEST(FrameActions, ToggleQualityFlipsTheMoviesQuality) {
    SwfWriter swf;
    swf.doAction(Asm().op(0x08)).showFrame();
    auto movie = play(swf);
    EXPECT_FALSE(movie->highQuality());
}

TEST(FrameActions, AScriptThatNeverEndsIsStoppedAndTheMoviePlaysOn) {
    SwfWriter swf;
    swf.doAction(Asm().jump(-5)).showFrame();  // jumps to itself
    swf.doAction(Asm().pushString("later").trace()).showFrame();
    for (const bool byTime : {false, true}) {
        swf::MovieInstance::Options options;
        if (byTime) {
            options.limits.scriptTimeoutSeconds = 0.2;
        } else {
            options.limits.maxActionSteps = 10'000;
        }
        auto movie = play(swf, options);
        EXPECT_TRUE(hasMessageContaining(*movie, "does not come to an end"));
        movie->tick();  // the movie plays on, and so do its other scripts
        EXPECT_EQ(movie->root().currentFrame(), 1u);
        EXPECT_EQ(traces(*movie), std::vector<std::string>{"later"});
    }
}

TEST(FrameActions, FramesThatKeepJumpingToEachOtherAreStopped) {
    SwfWriter swf;
    swf.doAction(Asm().gotoFrame(1)).showFrame();
    swf.doAction(Asm().gotoFrame(0)).showFrame();
    swf::MovieInstance::Options options;
    options.limits.maxScriptsPerDrain = 5'000;
    auto movie = play(swf, options);
    EXPECT_TRUE(hasMessageContaining(*movie, "do not come to an end"));
}

TEST(FrameActions, MalformedByteCodeStopsItsBlockOnly) {
    SwfWriter swf;
    const std::vector<std::vector<uint8_t>> broken = {
        {0x96, 0x10, 0x00, 0x00},                // a record longer than its block
        {0x96, 0x02, 0x00, 0x00, 'x'},           // a text without its end
        {0x96, 0x01, 0x00, 0x0F},                // an unknown value type
        {0x99, 0x02, 0x00, 0x00, 0x40},          // a jump far outside
        {0x81, 0x01, 0x00, 0x05},                // a frame number cut short
    };
    for (const auto& code : broken) swf.doAction(code);
    swf.doAction(Asm().pushString("still here").trace()).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(traces(*movie), std::vector<std::string>{"still here"});
    int errors = 0;
    for (const auto& m : movie->messages()) errors += m.rfind("script error", 0) == 0;
    EXPECT_EQ(errors, 4);
    // A Push with an unknown value type keeps what it pushed before it, as the reference player
    // does, and says so.
    EXPECT_TRUE(hasMessageContaining(*movie, "unknown value type"));
}

TEST(FrameActions, ActionScript3MoviesPlayTheirTimelinesWithoutScripts) {
    SwfWriter swf;
    swf.fileAttributes(true);
    swf.rawTag(82, {0, 0, 0, 0, 0});  // DoABC: flags, empty name, no code worth running
    swf.doAction(Asm().stop().pushString("ran").trace()).showFrame();
    swf.showFrame();
    auto movie = play(swf);
    ASSERT_TRUE(movie->movie().hasAbc);
    movie->tick();
    EXPECT_TRUE(traces(*movie).empty());
    EXPECT_EQ(movie->root().currentFrame(), 1u);
}

// DefineEditText id 30, bound to `variable`, initial text "7".
void defineBoundField(SwfTagList& swf, const std::string& variable) {
    std::vector<uint8_t> body{30, 0, 0x00, 0x80, 0x00};
    body.insert(body.end(), variable.begin(), variable.end());
    body.insert(body.end(), {0, '7', 0});
    swf.rawTag(37, body);
}

TEST(BoundTextFields, ShowTheirVariableAndSeedItWithTheInitialText) {
    SwfWriter swf;
    defineBoundField(swf, "score");
    swf.placeObject2({.depth = 1, .characterId = 30}).showFrame();
    swf.doAction(Asm().pushString("score").pushInt(42).setVariable()).showFrame();
    auto movie = play(swf);
    const swf::DisplayObject& field = *movie->root().displayList().at(1);
    EXPECT_EQ(field.text, "7");
    EXPECT_EQ(movie->variableText(movie->root(), "score"), "7");
    movie->tick();
    EXPECT_EQ(field.text, "42");
}

TEST(BoundTextFields, FollowAVariableOnAnotherClip) {
    SwfWriter swf;
    defineBoundField(swf, "/:total");
    SwfTagList panel;
    panel.placeObject2({.depth = 1, .characterId = 30}).showFrame();
    swf.defineSprite(10, panel);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "panel"});
    swf.doAction(Asm().set("total", "3 of 9")).showFrame();
    auto movie = play(swf);
    EXPECT_EQ(movie->root().childAt(1)->displayList().at(1)->text, "3 of 9");
}

}  // namespace
}  // namespace velmora::test
