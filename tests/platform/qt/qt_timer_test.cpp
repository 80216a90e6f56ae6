#include "platform/qt/qt_timer.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include "platform/core/failure.h"
#include "qt_test_environment.h"

namespace velmora {
namespace {

using testing::processEventsFor;
using testing::processEventsUntil;

// A timer with its ticks counted and the moment of the first tick after `mark()` recorded.
struct CountedTimer {
    QtTimer timer;
    int ticks = 0;
    QElapsedTimer sinceMark;
    qint64 firstTickAfterMark = -1;

    CountedTimer() {
        timer.onTimer([this] {
            ++ticks;
            if (firstTickAfterMark < 0) firstTickAfterMark = sinceMark.elapsed();
        });
    }
    void mark() {
        ticks = 0;
        firstTickAfterMark = -1;
        sinceMark.start();
    }
};

TEST(QtTimer, IntervalZeroNeverTicksEvenWhileEnabled) {
    CountedTimer t;
    EXPECT_TRUE(t.timer.enabled());
    EXPECT_EQ(t.timer.interval(), 0);
    t.timer.putEnabled(true);
    processEventsFor(150);
    EXPECT_EQ(t.ticks, 0);

    // Setting an interval and then going back to 0 stops a running timer too.
    t.timer.putInterval(20);
    ASSERT_TRUE(processEventsUntil([&] { return t.ticks > 0; }, 2000));
    t.timer.putInterval(0);
    t.mark();
    processEventsFor(100);
    EXPECT_EQ(t.ticks, 0);
    EXPECT_TRUE(t.timer.enabled());
}

TEST(QtTimer, DisabledTimerKeepsItsIntervalAndEnablingStartsAFullInterval) {
    CountedTimer t;
    t.timer.putInterval(40);
    t.timer.putEnabled(false);
    t.mark();
    processEventsFor(150);
    EXPECT_EQ(t.ticks, 0);
    EXPECT_EQ(t.timer.interval(), 40);

    // Disabled part-way through an interval and enabled again at once: the next tick waits a
    // whole interval from the enabling, not the rest of the interrupted one.
    t.timer.putInterval(300);
    t.timer.putEnabled(true);
    processEventsFor(200);
    t.timer.putEnabled(false);
    t.timer.putEnabled(true);
    t.mark();
    ASSERT_TRUE(processEventsUntil([&] { return t.ticks > 0; }, 3000));
    EXPECT_GE(t.firstTickAfterMark, 290);
}

TEST(QtTimer, WritingTheIntervalOfARunningTimerRestartsIt) {
    CountedTimer t;
    t.timer.putInterval(300);
    processEventsFor(200);
    t.timer.putInterval(250);
    t.mark();
    ASSERT_TRUE(processEventsUntil([&] { return t.ticks > 0; }, 3000));
    EXPECT_GE(t.firstTickAfterMark, 240);
}

TEST(QtTimer, RepeatedEnablingDoesNotPutOffTheNextTick) {
    CountedTimer t;
    t.timer.putInterval(60);
    t.mark();
    for (int i = 0; i < 20; ++i) {
        processEventsFor(10);
        t.timer.putEnabled(true);
    }
    EXPECT_GT(t.ticks, 0);
}

TEST(QtTimer, NegativeIntervalIsRefusedAndTheTimerKeepsItsOwn) {
    CountedTimer t;
    t.timer.putInterval(30);
    EXPECT_THROW(t.timer.putInterval(-1), Failure);
    EXPECT_EQ(t.timer.interval(), 30);
    EXPECT_TRUE(t.timer.ticking());
}

}  // namespace
}  // namespace velmora
