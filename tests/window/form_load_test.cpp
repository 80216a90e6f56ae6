#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::FakeWindow;

TEST(FormLoad, StartsPausedWithThePositionTimerAndEmptyPlaylists) {
    FakeWindow w;
    Form1 form(w.controls());
    form.Form_Load();

    EXPECT_EQ(w.log.calls(),
              (std::vector<std::string>{"Timer1.Interval=300", "Timer1.Enabled=true", "HSc1.SmallChange=50",
                                        "HSc2.SmallChange=50", "Slider1.SmallChange=1", "Slider1.Value=0",
                                        "Slider1.Max=100", "Slider1.Min=-80"}));
    const Form1State& s = form.state();
    EXPECT_EQ(s.isPlaying, 0);
    EXPECT_EQ(s.subtitleFiles, Playlist{""});
    EXPECT_EQ(s.soundFiles, Playlist{""});
    EXPECT_FALSE(s.subtitleIndex.hasValue());
    EXPECT_EQ(s.soundIndex, 0);

    // The stepping timers keep their creation state: enabled, but with interval 0 they never tick.
    EXPECT_FALSE(w.Timer2.ticking());
    EXPECT_FALSE(w.Timer3.ticking());
    EXPECT_TRUE(w.Timer1.ticking());
    // The bars keep their creation range.
    EXPECT_EQ(w.HSc1.max, 32767);
    EXPECT_EQ(w.HSc1.value, 0);
}

TEST(FormLoad, StopsAtTheFirstFailingStep) {
    FakeWindow w;
    Form1 form(w.controls());
    w.log.failOn("Slider1.Value=");
    EXPECT_THROW(form.Form_Load(), Failure);
    EXPECT_EQ(w.log.calls().back(), "Slider1.Value=0 !");
    EXPECT_EQ(w.Slider1.max, 10);
    EXPECT_TRUE(form.state().subtitleFiles.empty());
}

}  // namespace
}  // namespace velmora
