// The movie player component through the operations the window uses.
#include <QApplication>
#include <QElapsedTimer>
#include <QCursor>
#include <QGuiApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/core/failure.h"
#include "platform/player/player_clock.h"
#include "platform/player/swf_player_widget.h"
#include "player_test_support.h"
#include "support/avm1_assembler.h"
#include "support/qt_application.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::test {
namespace {

TEST(SwfPlayerWidget, AnEmptyPlayerAnswersZeroAndFailsEveryTargetOperation) {
    SwfPlayerWidget player;
    EXPECT_EQ(player.Movie(), "");
    EXPECT_EQ(player.TotalFrames(), 0);
    EXPECT_EQ(player.FrameNum(), 0);
    player.Play();
    player.StopPlay();
    player.GotoFrame(5);
    player.Forward();
    player.Back();
    player.putBackgroundColor(0x123456);
    EXPECT_EQ(player.FrameNum(), 0);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_THROW(player.TGetProperty("mp3_mc", 5), Failure);
    EXPECT_THROW(player.TCurrentFrame("mp3_mc"), Failure);
    EXPECT_THROW(player.TGotoFrame("mp3_mc", 0), Failure);
    EXPECT_THROW(player.TPlay("mp3_mc"), Failure);
    EXPECT_THROW(player.TStopPlay("mp3_mc"), Failure);
    EXPECT_THROW(player.TGetProperty("/", 5), Failure);
}

TEST(SwfPlayerWidget, AMovieLoadedOnLevelZeroAnswersForItsFramesWhileMovieKeepsTheChosenPath) {
    MovieFolder folder;
    folder.write("five.swf", plainMovie(5, 10));
    Avm1Assembler load;
    load.push({"five.swf", "_level0"}).getUrl2(0);
    SwfWriter main(8);
    main.frameRate(10).doAction(load.doActionBody()).showFrame().showFrame();
    const std::string path = folder.write("main.swf", main);
    SwfPlayerWidget player;
    player.putMovie(path);
    EXPECT_EQ(player.TotalFrames(), 2);
    player.advanceClock(0.1);
    EXPECT_EQ(player.Movie(), path);
    EXPECT_EQ(player.TotalFrames(), 5);
    EXPECT_EQ(player.FrameNum(), 0);
    player.advanceClock(0.2);
    EXPECT_EQ(player.FrameNum(), 2);
}

TEST(SwfPlayerWidget, ALoadedMovieStartsAtOnceAndLoops) {
    MovieFolder folder;
    const std::string path = folder.write("three.swf", plainMovie(3, 10));
    SwfPlayerWidget player;
    player.putMovie(path);
    EXPECT_EQ(player.Movie(), path);
    EXPECT_EQ(player.TotalFrames(), 3);
    EXPECT_EQ(player.FrameNum(), 0);
    EXPECT_TRUE(player.isPlaying());
    player.advanceClock(0.2);
    EXPECT_EQ(player.FrameNum(), 2);
    player.advanceClock(0.1);
    EXPECT_EQ(player.FrameNum(), 0);
}

TEST(SwfPlayerWidget, WithLoopingOffTheMovieHaltsOnItsLastFrame) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.setLooping(false);
    player.putMovie(folder.write("three.swf", plainMovie(3, 10)));
    player.advanceClock(0.45);
    EXPECT_EQ(player.FrameNum(), 2);
    EXPECT_FALSE(player.isPlaying());
}

TEST(SwfPlayerWidget, AFailedLoadNamesTheFileAndLeavesThePlayerEmpty) {
    MovieFolder folder;
    const std::string good = folder.write("good.swf", plainMovie(3));
    const std::string cases[] = {
        folder.pathOf("missing.swf"),
        folder.writeBytes("text.swf", "this is not a movie"),
        folder.writeBytes("cut.swf", std::string("FWS\x0A\xFF\x00\x00\x00", 8)),
        folder.writeBytes("badzlib.swf", std::string("CWS\x0A\x40\x00\x00\x00garbage-garbage", 23)),
        folder.pathOf("pipe.swf"),  // a FIFO nobody writes to: refused, never waited on
        folder.pathOf("zero.swf"),  // a device behind a movie's name
    };
    ASSERT_EQ(::mkfifo(cases[4].c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", cases[5].c_str()), 0);
    for (const std::string& bad : cases) {
        SwfPlayerWidget player;
        player.putMovie(good);
        try {
            player.putMovie(bad);
            ADD_FAILURE() << "no failure for " << bad;
        } catch (const Failure& f) {
            EXPECT_NE(std::string(f.what()).find(bad), std::string::npos) << f.what();
        }
        EXPECT_EQ(player.Movie(), "");
        EXPECT_EQ(player.TotalFrames(), 0);
        EXPECT_EQ(player.FrameNum(), 0);
        EXPECT_THROW(player.TCurrentFrame("/"), Failure);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // no busy cursor left behind
    }
}

TEST(SwfPlayerWidget, ALargeMovieLoadsUnderTheBusyCursorAndASmallOneWithout) {
    // The first frame's trace runs while the movie loads: the moment to look at the cursor.
    const auto cursorWhileLoading = [](const SwfWriter& movie) {
        MovieFolder folder;
        const std::string path = folder.write("movie.swf", movie);
        std::optional<Qt::CursorShape> shape;
        SwfPlayerWidget player;
        player.setTraceSink([&](const std::string&) {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            shape = cursor ? cursor->shape() : Qt::ArrowCursor;
        });
        player.putMovie(path);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        return shape;
    };
    const std::vector<uint8_t> traceSomething = {0x96, 0x03, 0x00, 0x00, 'x', 0x00, 0x26, 0x00};
    SwfWriter small;
    small.doAction(traceSomething).showFrame();
    EXPECT_EQ(cursorWhileLoading(small), Qt::ArrowCursor);
    SwfWriter large;
    const std::vector<uint8_t> data(3u << 20, 0x55);
    large.rawTag(87, data).doAction(traceSomething).showFrame();  // DefineBinaryData
    EXPECT_EQ(cursorWhileLoading(large), Qt::WaitCursor);
}

TEST(SwfPlayerWidget, MovesOfTheMainTimelineStopThereAndStayInside) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("ten.swf", plainMovie(10)));
    player.GotoFrame(4);
    EXPECT_EQ(player.FrameNum(), 4);
    EXPECT_FALSE(player.isPlaying());
    player.advanceClock(1.0);
    EXPECT_EQ(player.FrameNum(), 4);
    player.GotoFrame(10);  // one past the last: a progress bar dragged to its end
    EXPECT_EQ(player.FrameNum(), 9);
    player.Forward();
    EXPECT_EQ(player.FrameNum(), 9);
    player.GotoFrame(-3);
    EXPECT_EQ(player.FrameNum(), 0);
    player.Back();
    EXPECT_EQ(player.FrameNum(), 0);
    player.Forward();
    player.Forward();
    EXPECT_EQ(player.FrameNum(), 2);
    player.Play();
    EXPECT_TRUE(player.isPlaying());
    player.Back();
    EXPECT_EQ(player.FrameNum(), 1);
    EXPECT_FALSE(player.isPlaying());
    player.Play();
    player.advanceClock(1.0 / 12);
    EXPECT_EQ(player.FrameNum(), 2);
    player.StopPlay();
    player.advanceClock(1.0);
    EXPECT_EQ(player.FrameNum(), 2);
}

TEST(SwfPlayerWidget, AGotoRunsTheDestinationsScriptAtOnce) {
    MovieFolder folder;
    SwfWriter swf;
    swf.showFrame();
    swf.doAction({0x06}).showFrame();  // Play
    swf.showFrame();
    SwfPlayerWidget player;
    player.putMovie(folder.write("script.swf", swf));
    player.GotoFrame(1);
    EXPECT_TRUE(player.isPlaying());  // the frame's script asked for it, after the goto stopped
}

TEST(SwfPlayerWidget, TargetOperationsOnTheSoundClip) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("sound.swf", soundLesson(2, 120)));
    EXPECT_EQ(player.TGetProperty("mp3_mc", 5), "120");
    EXPECT_EQ(player.TGetProperty("/mp3_mc", 13), "mp3_mc");
    EXPECT_EQ(player.TGetProperty("_root.mp3_mc", 11), "/mp3_mc");
    EXPECT_EQ(player.TGetProperty("_level0.mp3_mc", 4), "1");
    EXPECT_EQ(player.TCurrentFrame("mp3_mc"), 0);

    player.TGotoFrame("mp3_mc", 50);
    EXPECT_EQ(player.TCurrentFrame("mp3_mc"), 50);
    EXPECT_EQ(player.TGetProperty("mp3_mc", 4), "51");  // authors count from 1
    player.advanceClock(1.0);
    EXPECT_EQ(player.TCurrentFrame("mp3_mc"), 50);  // a goto stops the clip
    player.TGotoFrame("mp3_mc", 120);
    EXPECT_EQ(player.TCurrentFrame("mp3_mc"), 119);
    player.TGotoFrame("mp3_mc", -1);
    EXPECT_EQ(player.TCurrentFrame("mp3_mc"), 0);

    player.StopPlay();
    const int32_t rootFrame = player.FrameNum();
    player.TPlay("mp3_mc");
    player.advanceClock(2.0 / 24 + 0.001);
    EXPECT_EQ(player.TCurrentFrame("mp3_mc"), 2);  // runs on while the main timeline is stopped
    EXPECT_EQ(player.FrameNum(), rootFrame);
    player.TStopPlay("mp3_mc");
    player.advanceClock(1.0);
    EXPECT_EQ(player.TCurrentFrame("mp3_mc"), 2);
}

TEST(SwfPlayerWidget, TargetOperationsOnAMissingClipOrPropertyFail) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("plain.swf", plainMovie(3)));
    EXPECT_THROW(player.TGetProperty("mp3_mc", 5), Failure);
    EXPECT_THROW(player.TCurrentFrame("mp3_mc"), Failure);
    EXPECT_THROW(player.TGotoFrame("mp3_mc", 1), Failure);
    EXPECT_THROW(player.TPlay("mp3_mc"), Failure);
    EXPECT_THROW(player.TStopPlay("mp3_mc"), Failure);
    EXPECT_THROW(player.TGetProperty("/", 22), Failure);
    EXPECT_THROW(player.TGetProperty("/", -1), Failure);
    EXPECT_EQ(player.TGetProperty("/", 5), "3");  // the main timeline answers as a clip
}

TEST(SwfPlayerWidget, EachPlayerKeepsItsOwnClock) {
    MovieFolder folder;
    const std::string path = folder.write("ten.swf", plainMovie(10, 10));
    SwfPlayerWidget first, second;
    first.putMovie(path);
    second.putMovie(path);
    first.advanceClock(0.35);
    EXPECT_EQ(first.FrameNum(), 3);
    EXPECT_EQ(second.FrameNum(), 0);
}

TEST(SwfPlayerWidget, TheTimerMovesAPlayingMovie) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("fast.swf", plainMovie(1000, 100)));
    processEventsUntil([&] { return player.FrameNum() >= 3; }, 5000);
    EXPECT_GE(player.FrameNum(), 3);
}

TEST(SwfPlayerWidget, ANewMovieReplacesTheOldOneAndStartsAgain) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("ten.swf", plainMovie(10)));
    player.GotoFrame(7);
    const std::string second = folder.write("sound.swf", soundLesson(4, 8));
    player.putMovie(second);
    EXPECT_EQ(player.Movie(), second);
    EXPECT_EQ(player.TotalFrames(), 4);
    EXPECT_EQ(player.FrameNum(), 0);
    EXPECT_TRUE(player.isPlaying());
}

QRgb cornerPixel(SwfPlayerWidget& player) {
    // A wide area: the 550 x 400 stage leaves margins on the left and right.
    player.resize(400, 100);
    return player.grab().toImage().pixel(1, 50);
}

TEST(SwfPlayerWidget, TheBackgroundIsTheMoviesOwnUntilAColourIsSetThenForEveryMovie) {
    MovieFolder folder;
    const std::string path = folder.write("blue.swf", plainMovie(2));
    SwfPlayerWidget player;
    EXPECT_EQ(cornerPixel(player), qRgb(255, 255, 255));
    player.putMovie(path);
    EXPECT_EQ(cornerPixel(player), qRgb(0, 128, 255));
    player.putBackgroundColor(0xFFFFC0);
    EXPECT_EQ(cornerPixel(player), qRgb(255, 255, 192));
    player.putMovie(path);
    EXPECT_EQ(cornerPixel(player), qRgb(255, 255, 192));
    player.movieInstance()->setHighQuality(false);  // drawn at half resolution, margins and all
    EXPECT_EQ(cornerPixel(player), qRgb(255, 255, 192));
    EXPECT_EQ(player.grab().toImage().pixel(133, 2), qRgb(255, 0, 0));  // the red square in a corner

    SwfPlayerWidget subtitles;
    subtitles.setInitialBackgroundColor(0x102030);
    subtitles.putMovie(path);
    EXPECT_EQ(cornerPixel(subtitles), qRgb(0x10, 0x20, 0x30));
}

// Subtract and invert need the pixels below them: on the widget, as on an image, they blend with
// the grey stage instead of covering it.
TEST(SwfPlayerWidget, SubtractAndInvertBlendWithWhatTheWidgetShowsBelow) {
    SwfWriter movie;
    movie.stageSizePixels(100, 50);
    movie.defineRectangle(1, 0, 0, 2000, 1000, {200, 200, 200});
    movie.defineRectangle(2, 0, 0, 1000, 1000, {100, 50, 255});
    movie.placeObject2({.depth = 1, .characterId = 1});
    movie.placeObject3({.depth = 2, .characterId = 2, .blendMode = 9});  // subtract, the left half
    movie.placeObject3({.depth = 3, .characterId = 2, .matrix = WriterMatrix{.translateX = 1000}, .blendMode = 10});
    movie.showFrame();
    movie.placeObject3({.depth = 2, .move = true, .blendMode = 1});  // both normal again
    movie.placeObject3({.depth = 3, .move = true, .blendMode = 1});
    movie.showFrame();
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("blend.swf", movie));
    player.StopPlay();
    player.resize(100, 50);
    for (int pass = 0; pass < 2; ++pass) {  // the second from the image the first turned to
        const QImage shown = player.grab().toImage();
        EXPECT_EQ(shown.pixel(25, 25), qRgb(100, 150, 0)) << pass;
        EXPECT_EQ(shown.pixel(75, 25), qRgb(55, 55, 55)) << pass;
    }
    player.GotoFrame(1);
    const QImage normal = player.grab().toImage();
    EXPECT_EQ(normal.pixel(25, 25), qRgb(100, 50, 255));
    EXPECT_EQ(normal.pixel(75, 25), qRgb(100, 50, 255));
}

TEST(SwfPlayerWidget, ZoomStaysBetweenShowAllAndItsLimit) {
    SwfPlayerWidget player;
    player.setZoom(0.25);
    EXPECT_EQ(player.zoom(), 1.0);
    player.setZoom(1000);
    EXPECT_EQ(player.zoom(), 16.0);
    player.setZoom(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(player.zoom(), 1.0);
}

TEST(SwfPlayerWidget, AMovieWithStreamSoundMovesWithItsSound) {
    SwfWriter swf;
    swf.frameRate(24);
    const WriterSoundFormat pcm{.format = 3, .rateCode = 3, .is16Bit = true, .stereo = false};
    swf.soundStreamHead2(pcm, 1837);
    const std::vector<uint8_t> block(1837 * 2, 0);
    for (int i = 0; i < 200; ++i) swf.soundStreamBlock(block).showFrame();
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("voice.swf", swf));
    processEventsUntil([&] { return player.FrameNum() >= 4; }, 5000);
    EXPECT_GE(player.FrameNum(), 4);
    player.StopPlay();
    const int32_t stoppedAt = player.FrameNum();
    processEventsFor(150);
    EXPECT_EQ(player.FrameNum(), stoppedAt);
}

void sendMouse(QWidget& widget, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

TEST(SwfPlayerWidget, AClickOnAButtonOfTheMovieRunsItsAction) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.resize(550, 400);  // the stage at one pixel a pixel
    player.putMovie(folder.write("button.swf", buttonMovie()));
    sendMouse(player, QEvent::MouseMove, {55, 55});
    EXPECT_EQ(player.cursor().shape(), Qt::PointingHandCursor);
    sendMouse(player, QEvent::MouseButtonPress, {55, 55});
    sendMouse(player, QEvent::MouseButtonRelease, {55, 55});
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.movieInstance()->messages().back(), "trace: clicked");
    sendMouse(player, QEvent::MouseMove, {300, 300});
    EXPECT_EQ(player.cursor().shape(), Qt::ArrowCursor);
}

TEST(SwfPlayerWidget, TheWheelReachesTheMovieAndTheMovieMayHideThePointer) {
    // Mouse.hide(); var l = {}; l.onMouseWheel = function (d) { trace(d); }; Mouse.addListener(l);
    Avm1Assembler script;
    script.push({PushInt{0}, "Mouse"}).op(Action::GetVariable).push({"hide"}).op(Action::CallMethod).op(Action::Pop);
    script.push({"l", PushInt{0}}).op(Action::InitObject).op(Action::DefineLocal);
    script.push({"l"}).op(Action::GetVariable).push({"onMouseWheel"});
    script.defineFunction("", {"d"}, Avm1Assembler().push({"d"}).op(Action::GetVariable).trace()).op(Action::SetMember);
    script.push({"l"}).op(Action::GetVariable).push({PushInt{1}, "Mouse"}).op(Action::GetVariable);
    script.push({"addListener"}).op(Action::CallMethod).op(Action::Pop).op(Action::Stop);
    SwfWriter swf;
    swf.doAction(script.doActionBody()).showFrame();
    MovieFolder folder;
    SwfPlayerWidget player;
    player.resize(550, 400);
    player.putMovie(folder.write("wheel.swf", swf));
    sendMouse(player, QEvent::MouseMove, {55, 55});
    EXPECT_EQ(player.cursor().shape(), Qt::BlankCursor);
    QWheelEvent wheel(QPointF(55, 55), QPointF(player.mapToGlobal(QPoint(55, 55))), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&player, &wheel);
    EXPECT_EQ(player.movieInstance()->messages().back(), "trace: -3");
}

QAction* entry(QMenu& menu, const QString& text) {
    for (QAction* a : menu.actions()) {
        if (a->text() == text) return a;
    }
    return nullptr;
}

TEST(SwfPlayerWidget, TheRightButtonMenuOffersTheViewersEntries) {
    SwfPlayerWidget player;
    QStringList titles;
    const auto empty = player.makeContextMenu();
    for (QAction* a : empty->actions()) {
        if (!a->isSeparator()) titles << a->text();
    }
    EXPECT_EQ(titles, (QStringList{"Zoom In", "Zoom Out", "Show All", "Quality", "Play", "Loop", "Rewind", "Forward",
                                   "Back"}));
    EXPECT_FALSE(entry(*player.makeContextMenu(), "Play")->isEnabled());  // nothing to play yet

    MovieFolder folder;
    player.putMovie(folder.write("ten.swf", plainMovie(10)));
    player.GotoFrame(5);
    auto menu = player.makeContextMenu();
    EXPECT_FALSE(entry(*menu, "Play")->isChecked());
    EXPECT_TRUE(entry(*menu, "Loop")->isChecked());
    EXPECT_TRUE(entry(*menu, "Quality")->isChecked());
    EXPECT_FALSE(entry(*menu, "Zoom Out")->isEnabled());
    entry(*menu, "Back")->trigger();
    EXPECT_EQ(player.FrameNum(), 4);
    entry(*menu, "Rewind")->trigger();
    EXPECT_EQ(player.FrameNum(), 0);
    EXPECT_FALSE(player.isPlaying());
    entry(*menu, "Play")->trigger();
    EXPECT_TRUE(player.isPlaying());
    entry(*menu, "Loop")->trigger();
    EXPECT_FALSE(player.isLooping());
    entry(*menu, "Zoom In")->trigger();
    EXPECT_EQ(player.zoom(), 2.0);
    EXPECT_TRUE(entry(*player.makeContextMenu(), "Zoom Out")->isEnabled());
    entry(*player.makeContextMenu(), "Show All")->trigger();
    EXPECT_EQ(player.zoom(), 1.0);
}

TEST(SwfPlayerWidget, KeysTheMovieHasNoUseForGoOnToTheWindow) {
    MovieFolder folder;
    SwfPlayerWidget player;
    player.putMovie(folder.write("button.swf", buttonMovie()));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(&player, &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_TRUE(player.isPlaying());
}

TEST(PlayerClock, BothPlayersStepFromOneTimerThatSleepsWhileNothingPlays) {
    const auto clock = PlayerClock::shared();
    MovieFolder folder;
    SwfPlayerWidget first, second;
    first.setLooping(false);
    second.setLooping(false);
    first.putMovie(folder.write("six.swf", plainMovie(6, 10)));
    second.putMovie(folder.write("six-too.swf", plainMovie(6, 10)));
    const uint64_t before = clock->wakeCount();
    ASSERT_TRUE(processEventsUntil([&] { return !first.isPlaying() && !second.isPlaying(); }, 5000));
    EXPECT_EQ(first.FrameNum(), 5);
    // A wake for each frame due, of either movie: no polling between frames.
    EXPECT_LE(clock->wakeCount() - before, 2u * 6 + 2);
    const uint64_t stopped = clock->wakeCount();
    processEventsFor(400);
    EXPECT_EQ(clock->wakeCount(), stopped);
    // Play wakes it again at once.
    second.GotoFrame(0);
    second.Play();
    ASSERT_TRUE(processEventsUntil([&] { return second.FrameNum() >= 2; }, 2000));
    EXPECT_GT(clock->wakeCount(), stopped);
}

// The two movies of a lesson are loaded one after the other, tens of milliseconds apart: the
// second falls in step with the first, and both are stepped in one wake a frame.
TEST(PlayerClock, AMovieStartedAfterAnotherFallsInStepWithIt) {
    const auto clock = PlayerClock::shared();
    MovieFolder folder;
    const std::string path = folder.write("twelve.swf", plainMovie(12, 20));
    SwfPlayerWidget first, second;
    first.setLooping(false);
    second.setLooping(false);
    first.putMovie(path);
    processEventsFor(20);
    const uint64_t before = clock->wakeCount();
    second.putMovie(path);
    ASSERT_TRUE(processEventsUntil([&] { return !first.isPlaying() && !second.isPlaying(); }, 5000));
    EXPECT_EQ(second.FrameNum(), 11);
    // Stepped one by one, the eleven frames of each would take twice as many.
    EXPECT_LE(clock->wakeCount() - before, 11u + 3);
}

// A client with frames due at fixed times from its creation, as a playing movie has.
class PeriodicClient : public PlayerClock::Client {
public:
    PeriodicClient(double firstDue, double period, int frames) : firstDue_(firstDue), period_(period), frames_(frames) {
        time_.start();
    }
    std::optional<double> secondsToNextFrame() override {
        if (shown >= frames_) return std::nullopt;
        return nextDue() - now();
    }
    void onClockTick() override {
        if (shown < frames_ && now() >= nextDue()) ++shown;
    }
    int shown = 0;

private:
    double now() const { return static_cast<double>(time_.nsecsElapsed()) / 1e9; }
    double nextDue() const { return firstDue_ + shown * period_; }
    QElapsedTimer time_;
    const double firstDue_, period_;
    const int frames_;
};

TEST(PlayerClock, FramesDueAMomentApartAreSteppedInOneWake) {
    const auto clock = PlayerClock::shared();
    // Two movies at 20 frames a second, started two milliseconds apart.
    PeriodicClient first(0.05, 0.05, 6), second(0.052, 0.05, 6);
    const uint64_t before = clock->wakeCount();
    clock->attach(&first);
    clock->attach(&second);
    const bool done = processEventsUntil([&] { return first.shown == 6 && second.shown == 6; }, 5000);
    clock->detach(&first);
    clock->detach(&second);
    ASSERT_TRUE(done);
    // One wake a frame for both, where stepping each as it falls due would take two.
    EXPECT_LE(clock->wakeCount() - before, 6u + 2);
}

}  // namespace
}  // namespace velmora::test
