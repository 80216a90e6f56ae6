#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::LoadedWindow;
using Calls = std::vector<std::string>;

struct Speed : ::testing::Test {
    LoadedWindow w;
    void slide(int32_t value) {
        w.Slider1.value = value;
        w.log.clear();
        w.form1.Slider1_Scroll();
    }
    void setPlaying(bool playing) { w.form1.state().isPlaying = playing ? -1 : 0; }
};

TEST_F(Speed, TheSliderPicksTheSteppingTimerAndItsInterval) {
    struct Case {
        int32_t slider;
        int forwardInterval;   // 0: Timer2 not running
        int backwardInterval;  // 0: Timer3 not running
    };
    setPlaying(true);
    for (const Case& c : {Case{-80, 0, 550}, Case{-50, 0, 2050}, Case{-30, 0, 3050}, Case{-1, 0, 4500},
                          Case{0, 0, 0}, Case{1, 5000, 0}, Case{40, 3050, 0}, Case{50, 2550, 0}, Case{90, 550, 0},
                          Case{100, 50, 0}}) {
        slide(c.slider);
        EXPECT_EQ(w.Timer2.ticking() ? w.Timer2.interval : 0, c.forwardInterval) << c.slider;
        EXPECT_EQ(w.Timer3.ticking() ? w.Timer3.interval : 0, c.backwardInterval) << c.slider;
    }
}

TEST_F(Speed, EveryMoveRestartsTheChosenTimerWithAFullInterval) {
    setPlaying(true);
    slide(50);
    EXPECT_EQ(w.log.calls(), (Calls{"Slider1.Value", "Timer2.Enabled=false", "Timer3.Enabled=false",
                                    "Timer2.Interval=2550", "Timer2.Enabled=true"}));
    slide(-80);
    EXPECT_EQ(w.log.calls(), (Calls{"Slider1.Value", "Timer2.Enabled=false", "Timer3.Enabled=false",
                                    "Timer3.Interval=550", "Timer3.Enabled=true"}));
    // At 0 both stop and keep their intervals.
    slide(0);
    EXPECT_EQ(w.log.calls(), (Calls{"Slider1.Value", "Timer2.Enabled=false", "Timer3.Enabled=false"}));
    EXPECT_EQ(w.Timer2.interval, 2550);
    EXPECT_EQ(w.Timer3.interval, 550);
}

TEST_F(Speed, WhilePausedTheSliderOnlySetsTheInterval) {
    setPlaying(false);
    slide(40);
    EXPECT_EQ(w.Timer2.interval, 3050);
    EXPECT_FALSE(w.Timer2.enabled);
    EXPECT_FALSE(w.Timer3.enabled);
    // The next play starts it.
    w.form1.ComP_Click();
    EXPECT_TRUE(w.Timer2.ticking());
    EXPECT_FALSE(w.Timer3.enabled);
}

TEST_F(Speed, AFailureEndsTheSliderHandler) {
    setPlaying(true);
    w.log.failOn("Timer2.Interval=");
    EXPECT_THROW(slide(50), Failure);
    EXPECT_EQ(w.log.calls().back(), "Timer2.Interval=2550 !");
    EXPECT_FALSE(w.Timer2.enabled);
}

TEST_F(Speed, ForwardStepsAreGuardedByTheSubtitleBar) {
    w.HSc1.max = 1000;
    w.HSc1.value = 100;
    w.log.clear();
    w.form1.Timer2_Timer();
    EXPECT_EQ(w.log.calls(), (Calls{"HSc1.Value", "HSc1.Max", "swf1.Forward()", "swf1.Play()"}));
    EXPECT_EQ(w.swf1.frameNum, 1);

    for (auto [value, max] : {std::pair<int16_t, int16_t>{990, 1000}, {995, 1000}, {0, 10}, {0, 5}}) {
        w.HSc1.value = value;
        w.HSc1.max = max;
        w.log.clear();
        w.form1.Timer2_Timer();
        EXPECT_EQ(w.log.calls(), (Calls{"HSc1.Value", "HSc1.Max"})) << value << '/' << max;
    }
}

TEST_F(Speed, BackwardStepsAreGuardedByTheSoundBar) {
    w.HSc1.max = 1000;
    w.HSc1.value = 10;
    w.HSc2.max = 1000;
    w.HSc2.value = 995;
    w.log.clear();
    w.form1.Timer3_Timer();
    EXPECT_EQ(w.log.calls(), (Calls{"HSc2.Value", "HSc2.Max"}));

    w.HSc2.value = 989;
    w.log.clear();
    w.form1.Timer3_Timer();
    EXPECT_EQ(w.log.calls(), (Calls{"HSc2.Value", "HSc2.Max", "swf1.Back()", "swf1.Play()"}));
    // With no sound movie the bar's start-up range lets every backward tick act.
    LoadedWindow fresh;
    fresh.form1.Timer3_Timer();
    EXPECT_EQ(fresh.swf1.frameNum, -1);
}

TEST_F(Speed, AFailingStepEndsTheTick) {
    w.HSc1.max = 1000;
    w.log.failOn("swf1.Forward");
    EXPECT_THROW(w.form1.Timer2_Timer(), Failure);
    EXPECT_TRUE(w.log.callsStartingWith("swf1.Play").empty());

    w.HSc2.max = -32768;
    EXPECT_THROW(w.form1.Timer3_Timer(), OverflowFailure);
}

}  // namespace
}  // namespace velmora
