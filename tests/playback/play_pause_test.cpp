#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::FakeMovieFile;
using testing::LoadedWindow;
using Calls = std::vector<std::string>;

// Both movies opened and standing; the sound movie narrates in its "mp3_mc" clip.
struct Opened : LoadedWindow {
    explicit Opened(std::optional<std::string> clipFrames = "300") {
        swf1.load("D:\\s\\1.swf", FakeMovieFile{250});
        swf2.load("D:\\m\\1.swf", FakeMovieFile{400, clipFrames});
        swf1.playing = swf2.playing = swf2.clipPlaying = false;
        HSc1.max = 250;
        HSc2.max = 300;
    }
    void click() {
        log.clear();
        form1.ComP_Click();
    }
};

TEST(PlayPause, PlayResumesBothMoviesFromTheirBars) {
    Opened w;
    w.HSc1.value = 200;
    w.HSc2.value = 180;
    w.click();
    EXPECT_EQ(w.log.calls(),
              (Calls{"HSc1.Value", "swf1.GotoFrame(200)", "swf2.TGetProperty(mp3_mc,5)", "HSc2.Value",
                     "swf2.TGotoFrame(mp3_mc,180)", "swf1.Play()", "swf2.Play()", "swf2.TPlay(mp3_mc)",
                     "Slider1.Value", "Timer2.Enabled=false", "Timer3.Enabled=false", "ComP.Caption=暂停"}));
    EXPECT_EQ(w.form1.state().isPlaying, -1);
    EXPECT_TRUE(w.swf1.playing);
    EXPECT_TRUE(w.swf2.playing);
    EXPECT_TRUE(w.swf2.clipPlaying);
}

TEST(PlayPause, PauseStopsBothMoviesAndTheSteppingTimers) {
    Opened w;
    w.click();
    w.click();
    EXPECT_EQ(w.log.calls(), (Calls{"swf1.StopPlay()", "swf2.StopPlay()", "swf2.TStopPlay(mp3_mc)",
                                    "Timer2.Enabled=false", "Timer3.Enabled=false", "ComP.Caption=播放"}));
    EXPECT_EQ(w.form1.state().isPlaying, 0);
    EXPECT_FALSE(w.swf1.playing);
    EXPECT_FALSE(w.swf2.playing);
    EXPECT_FALSE(w.swf2.clipPlaying);
}

TEST(PlayPause, OnlyMinusOneCountsAsPlaying) {
    Opened w;
    w.form1.state().isPlaying = 1;
    w.click();
    EXPECT_EQ(w.form1.state().isPlaying, -1);
    EXPECT_EQ(w.ComP.caption, "暂停");
}

TEST(PlayPause, ASoundMovieOnItsMainTimelineIsSoughtThereButBothTimelinesStart) {
    for (std::optional<std::string> clip : {std::optional<std::string>("0"), std::optional<std::string>()}) {
        Opened w(clip);
        w.HSc2.value = 33;
        w.click();
        EXPECT_EQ(w.log.callsStartingWith("swf2"),
                  (Calls{"swf2.TGetProperty(mp3_mc,5)", "swf2.GotoFrame(33)", "swf2.Play()", "swf2.TPlay(mp3_mc)"}));
        EXPECT_EQ(w.ComP.caption, "暂停");
    }
}

TEST(PlayPause, WithNoMoviesLoadedEveryClickStillToggles) {
    Opened w;
    for (const char* key : {"swf1.GotoFrame", "swf1.Play", "swf1.StopPlay", "swf2.GotoFrame", "swf2.TGetProperty",
                            "swf2.Play", "swf2.TPlay", "swf2.StopPlay", "swf2.TStopPlay", "swf2.TGotoFrame"}) {
        w.log.failOn(key);
    }
    w.form1.state().isPlaying = 0;
    for (auto [flag, caption] : {std::pair{-1, "暂停"}, {0, "播放"}, {-1, "暂停"}}) {
        EXPECT_NO_THROW(w.click());
        EXPECT_EQ(w.form1.state().isPlaying, flag);
        EXPECT_EQ(w.ComP.caption, caption);
    }
}

// One failing step of either path is passed over; every later step is still made.
struct StepFailure {
    const char* key;
    const char* skipped;  // the call that needed the failing read, if any
};

void PrintTo(const StepFailure& f, std::ostream* out) { *out << f.key; }

// The key a call is failed by: "swf1.GotoFrame(200)" -> "swf1.GotoFrame", "ComP.Caption=x" ->
// "ComP.Caption=", "HSc1.Value" -> "HSc1.Value".
std::string keyOf(const std::string& call) {
    const size_t cut = call.find_first_of("(=");
    if (cut == std::string::npos) return call;
    return call.substr(0, call[cut] == '=' ? cut + 1 : cut);
}

struct PlayPauseFailures : ::testing::TestWithParam<StepFailure> {};

TEST_P(PlayPauseFailures, EveryOtherStepIsStillMade) {
    const StepFailure& f = GetParam();
    Opened reference;
    Opened w;
    w.log.failOn(f.key);
    for (int click = 0; click < 2; ++click) {
        reference.click();
        EXPECT_NO_THROW(w.click());
        Calls expected;
        for (const std::string& call : reference.log.calls()) {
            if (f.skipped && call == f.skipped) continue;
            expected.push_back(keyOf(call) == f.key ? call + " !" : call);
        }
        EXPECT_EQ(w.log.calls(), expected);
        EXPECT_EQ(w.form1.state().isPlaying, reference.form1.state().isPlaying);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, PlayPauseFailures,
    ::testing::Values(StepFailure{"HSc1.Value", "swf1.GotoFrame(0)"}, StepFailure{"swf1.GotoFrame", nullptr},
                      StepFailure{"HSc2.Value", "swf2.TGotoFrame(mp3_mc,0)"}, StepFailure{"swf2.TGotoFrame", nullptr},
                      StepFailure{"swf1.Play", nullptr}, StepFailure{"swf2.Play", nullptr},
                      StepFailure{"swf2.TPlay", nullptr}, StepFailure{"Slider1.Value", nullptr},
                      StepFailure{"Timer2.Enabled=", nullptr}, StepFailure{"Timer3.Enabled=", nullptr},
                      StepFailure{"ComP.Caption=", nullptr}, StepFailure{"swf1.StopPlay", nullptr},
                      StepFailure{"swf2.StopPlay", nullptr}, StepFailure{"swf2.TStopPlay", nullptr}));

TEST(PlayPause, AFailedSoundTimelineQuerySeeksTheMainTimeline) {
    Opened w;
    w.HSc2.value = 12;
    w.log.failOn("swf2.TGetProperty");
    w.click();
    EXPECT_EQ(w.log.callsStartingWith("swf2"), (Calls{"swf2.TGetProperty(mp3_mc,5) !", "swf2.GotoFrame(12)",
                                                      "swf2.Play()", "swf2.TPlay(mp3_mc)"}));
}

TEST(PlayPause, AResumeSeeksWhereTheBarWasDraggedWhilePaused) {
    Opened w;
    w.click();
    w.swf1.frameNum = 77;
    w.form1.Timer1_Timer();
    w.click();
    EXPECT_EQ(w.HSc1.value, 77);
    w.HSc1.value = 200;  // dragged while paused
    w.click();
    EXPECT_EQ(w.log.calls()[1], "swf1.GotoFrame(200)");
}

// Stepping while playing follows the slider's value; pausing stops it.
struct SteppingFollowsTheSlider : ::testing::Test {
    Opened w;
    void slide(int32_t value) {
        w.Slider1.value = value;
        w.form1.Slider1_Scroll();
    }
};

TEST_F(SteppingFollowsTheSlider, PlayRunsOnlyTheTimerTheSliderNames) {
    struct Case {
        int32_t slider;
        bool forward;
        bool backward;
    };
    for (const Case& c : {Case{50, true, false}, Case{-30, false, true}, Case{0, false, false}}) {
        slide(c.slider);
        w.click();  // play
        EXPECT_EQ(w.Timer2.enabled, c.forward) << c.slider;
        EXPECT_EQ(w.Timer3.enabled, c.backward) << c.slider;
        w.click();  // pause
        EXPECT_FALSE(w.Timer2.enabled);
        EXPECT_FALSE(w.Timer3.enabled);
    }
}

TEST_F(SteppingFollowsTheSlider, OldIntervalsDoNotComeBackAfterPauseAndPlay) {
    slide(50);
    slide(-30);
    w.click();
    w.click();
    w.click();
    EXPECT_FALSE(w.Timer2.ticking());
    EXPECT_TRUE(w.Timer3.ticking());
    EXPECT_EQ(w.Timer3.interval, 3050);

    slide(50);
    slide(0);
    w.click();
    w.click();
    EXPECT_FALSE(w.Timer2.ticking());
    EXPECT_FALSE(w.Timer3.ticking());
}

TEST_F(SteppingFollowsTheSlider, ASliderNeverMovedStepsNothing) {
    w.click();
    EXPECT_FALSE(w.Timer2.ticking());
    EXPECT_FALSE(w.Timer3.ticking());
}

TEST_F(SteppingFollowsTheSlider, AnUnreadableSliderStartsNeitherTimer) {
    slide(50);
    w.log.failOn("Slider1.Value");
    w.click();
    EXPECT_FALSE(w.Timer2.enabled);
    EXPECT_FALSE(w.Timer3.enabled);
    EXPECT_EQ(w.form1.state().isPlaying, -1);
}

}  // namespace
}  // namespace velmora
