#include <QWidget>
#include <gtest/gtest.h>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/failure.h"
#include "platform/qt/failure_notice.h"
#include "platform/qt/failure_reporter.h"
#include "platform/qt/notification_dispatcher.h"
#include "qt_test_environment.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

// A reporter on a stepped clock, writing its log into a string and recording notices.
class ReporterTest : public ::testing::Test {
protected:
    ReporterTest() : reporter(log, [this] { return now; }) {
        reporter.setNotice([this](const std::string& text, int repeats) { notices.push_back({text, repeats}); });
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(log.str());
        for (std::string line; std::getline(in, line);) result.push_back(line);
        return result;
    }

    std::chrono::steady_clock::time_point now{};
    std::ostringstream log;
    FailureReporter reporter;
    std::vector<std::pair<std::string, int>> notices;
};

TEST_F(ReporterTest, ATimerFailingEvery50msWritesOneLinePerQuietPeriod) {
    for (int i = 0; i < 100; ++i) {  // five seconds of a stepping timer failing
        reporter.report("Timer2_Timer", "overflow in 16-bit subtraction");
        now += 50ms;
    }
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_EQ(lines()[0], "velmora: Timer2_Timer failed: overflow in 16-bit subtraction");
    ASSERT_EQ(notices.size(), 100u);
    EXPECT_EQ(notices.back().second, 100);  // one notice counting up, not a hundred of them

    reporter.report("Timer2_Timer", "overflow in 16-bit subtraction");
    ASSERT_EQ(lines().size(), 2u);
    EXPECT_NE(lines()[1].find("repeated 99 more times"), std::string::npos) << lines()[1];
}

TEST_F(ReporterTest, DistinctFailuresAreEachLoggedAndAPauseStartsTheCountAfresh) {
    reporter.report("Com1_Click", "cannot open movie /a.swf");
    reporter.report("Timer1_Timer", "no movie clip mp3_mc");
    reporter.report("Com1_Click", "cannot open movie /a.swf");
    EXPECT_EQ(lines().size(), 2u);
    EXPECT_EQ(notices.back(), (std::pair<std::string, int>{"cannot open movie /a.swf", 2}));

    now += 10s;
    reporter.report("Com1_Click", "cannot open movie /a.swf");
    EXPECT_EQ(lines().size(), 3u);
    EXPECT_EQ(notices.back().second, 1);
}

TEST(FailureNotice, OneNoteOverTheBottomOfTheMovieAreaRenewedByRepeats) {
    QWidget window;
    window.resize(480, 470);
    QWidget movie(&window);
    movie.setGeometry(8, 8, 468, 380);
    window.show();
    FailureNotice notice(movie);
    EXPECT_FALSE(notice.isVisible());

    for (int i = 1; i <= 20; ++i) notice.showText("cannot open movie /a.swf", i);
    EXPECT_TRUE(notice.isVisible());
    EXPECT_EQ(notice.text(), QStringLiteral("cannot open movie /a.swf (×20)"));
    EXPECT_EQ(window.findChildren<FailureNotice*>().size(), 1);
    EXPECT_TRUE(movie.geometry().contains(notice.geometry()));
    EXPECT_GT(notice.geometry().top(), movie.geometry().center().y());
    EXPECT_TRUE(notice.testAttribute(Qt::WA_TransparentForMouseEvents));

    // It follows the movie area when the window lays it out anew.
    movie.setGeometry(8, 8, 600, 500);
    EXPECT_EQ(notice.geometry().bottom(), movie.geometry().bottom() - 8);
    EXPECT_EQ(notice.geometry().width(), 600 - 16);
}

TEST(NotificationDispatcher, AFailingHandlerIsReportedAndTheNextOneStillRuns) {
    std::ostringstream log;
    FailureReporter reporter(log);
    NotificationDispatcher dispatcher(reporter);
    dispatcher.dispatch("Com1_Click", [] { throw Failure("cannot open movie /a.swf"); });
    dispatcher.dispatch("ComColor_Click", [] { throw std::length_error("vector too long"); });
    dispatcher.dispatch("ComP_Click", [] { throw 42; });
    bool ran = false;
    dispatcher.dispatch("Timer1_Timer", [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(log.str(),
              "velmora: Com1_Click failed: cannot open movie /a.swf\n"
              "velmora: ComColor_Click failed: vector too long\n"
              "velmora: ComP_Click failed: an unexpected error\n");
}

TEST(NotificationDispatcher, NotificationsDuringAHandlerWaitForItsEndAndAreNotQueuedTwice) {
    std::ostringstream log;
    FailureReporter reporter(log);
    NotificationDispatcher dispatcher(reporter);
    std::vector<std::string> order;
    // As when timers tick and the window is resized while a handler waits in a modal dialog.
    dispatcher.dispatch("Com1_Click", [&] {
        order.push_back("Com1_Click begins");
        for (int i = 0; i < 5; ++i) dispatcher.dispatch("Timer1_Timer", [&] { order.push_back("Timer1_Timer"); });
        dispatcher.dispatch("Form_Resize", [&] {
            order.push_back("Form_Resize");
            throw Failure("width out of range");
        });
        order.push_back("Com1_Click ends");
        throw Failure("cannot open movie /a.swf");
    });
    EXPECT_EQ(order, (std::vector<std::string>{"Com1_Click begins", "Com1_Click ends", "Timer1_Timer",
                                                "Form_Resize"}));
    EXPECT_FALSE(dispatcher.running());
    EXPECT_NE(log.str().find("Form_Resize failed"), std::string::npos);
}

}  // namespace
}  // namespace velmora
