#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::FakeMovieFile;
using testing::FakeWindow;
using testing::LoadedWindow;
using Calls = std::vector<std::string>;

Playlist lessons(const std::string& folder, int count) {
    Playlist list{folder};
    for (int i = 1; i <= count; ++i) list.push_back(folder + "\\" + std::to_string(i) + ".swf");
    return list;
}

// Playing, with subtitle and sound playlists at entry 1 and their first movies loaded.
struct Playing : LoadedWindow {
    explicit Playing(int subtitles = 3, int sounds = 3) {
        Form1State& s = form1.state();
        s.subtitleFiles = lessons("D:\\s", subtitles);
        s.soundFiles = lessons("D:\\m", sounds);
        s.subtitleIndex.set(1);
        s.soundIndex = 1;
        s.isPlaying = -1;
        swf1.load("D:\\s\\1.swf", FakeMovieFile{250});
        swf2.load("D:\\m\\1.swf", FakeMovieFile{400, "300"});
        HSc1.max = 250;
        HSc2.max = 300;
        for (int i = 1; i <= 3; ++i) {
            swf1.files["D:\\s\\" + std::to_string(i) + ".swf"] = FakeMovieFile{200 + i};
            swf2.files["D:\\m\\" + std::to_string(i) + ".swf"] = FakeMovieFile{10, std::to_string(300 + i)};
        }
    }
    // Puts the subtitle movie on its last frame, so the next tick meets the end test.
    void atEnd() { swf1.frameNum = HSc1.max - 1; }
    void tick() {
        log.clear();
        form1.Timer1_Timer();
    }
};

TEST(PositionTracking, PausedDoesNothing) {
    Playing w;
    w.form1.state().isPlaying = 0;
    w.atEnd();
    w.tick();
    EXPECT_TRUE(w.log.calls().empty());
}

TEST(PositionTracking, CopiesBothPositionsWhilePlaying) {
    Playing w;
    w.swf1.frameNum = 120;
    w.swf2.clipFrame = 88;
    w.swf2.frameNum = 3;
    w.tick();
    EXPECT_EQ(w.log.calls(), (Calls{"swf1.Movie", "swf1.FrameNum", "HSc1.Value=120", "swf2.Movie",
                                    "swf2.TGetProperty(mp3_mc,5)", "swf2.TCurrentFrame(mp3_mc)", "HSc2.Value=88",
                                    "HSc1.Value", "HSc1.Max"}));
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 1);

    // A narration on the main timeline is tracked there; the question is asked on every tick.
    w.swf2.clipFrames = "0";
    w.tick();
    EXPECT_EQ(w.HSc2.value, 3);
    // Any non-zero flag counts as playing here.
    w.form1.state().isPlaying = 1;
    w.swf1.frameNum = 121;
    w.tick();
    EXPECT_EQ(w.HSc1.value, 121);
}

TEST(PositionTracking, NoMoviesNoCopiesAndNoAdvance) {
    LoadedWindow w;
    w.form1.state().isPlaying = -1;
    w.form1.Timer1_Timer();
    EXPECT_EQ(w.log.calls(), (Calls{"swf1.Movie", "swf2.Movie", "HSc1.Value", "HSc1.Max"}));
}

TEST(PositionTracking, TheEndOfTheSubtitleMovieAdvancesBothPlaylists) {
    Playing w;
    w.swf1.frameNum = 248;
    w.tick();
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 1);  // 248 < 250 - 1

    w.atEnd();
    w.tick();
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 2);
    EXPECT_EQ(w.form1.state().soundIndex, 2);
    EXPECT_EQ(w.swf1.movie, "D:\\s\\2.swf");
    EXPECT_EQ(w.swf2.movie, "D:\\m\\2.swf");
    EXPECT_TRUE(w.swf1.playing);
    EXPECT_TRUE(w.swf2.playing);
    EXPECT_EQ(w.HSc1.max, 202);
    EXPECT_EQ(w.HSc2.max, 302);
    EXPECT_EQ(w.form.caption, "D:\\s\\2.swf");
    // The play state is left alone.
    EXPECT_EQ(w.form1.state().isPlaying, -1);
    EXPECT_TRUE(w.log.callsStartingWith("Timer").empty());
    EXPECT_TRUE(w.log.callsStartingWith("ComP").empty());
}

TEST(PositionTracking, AOneFrameMovieEndsOnTheFirstTick) {
    for (int16_t max : {int16_t{0}, int16_t{1}}) {
        Playing w;
        w.swf1.load("D:\\s\\1.swf", FakeMovieFile{max});
        w.HSc1.max = max;
        w.tick();
        EXPECT_EQ(w.form1.state().subtitleIndex.value(), 2);
    }
}

TEST(PositionTracking, AShorterSoundPlaylistStopsLoadingSoundAtItsEnd) {
    Playing w(3, 2);
    w.atEnd();
    w.tick();
    w.atEnd();
    w.tick();
    EXPECT_EQ(w.swf1.movie, "D:\\s\\3.swf");
    EXPECT_EQ(w.swf2.movie, "D:\\m\\2.swf");
    EXPECT_EQ(w.form1.state().soundIndex, 3);
}

TEST(PositionTracking, ALongerSoundPlaylistNeverLoadsPastTheSubtitles) {
    Playing w(2, 3);
    w.atEnd();
    w.tick();
    w.atEnd();
    w.tick();
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 3);
    EXPECT_EQ(w.form1.state().soundIndex, 3);
    EXPECT_EQ(w.swf2.movie, "D:\\m\\2.swf");
}

TEST(PositionTracking, AfterTheLastEntryTheIndexesKeepRisingAndNothingLoads) {
    Playing w(1, 1);
    for (int i = 0; i < 3; ++i) {
        w.atEnd();
        w.tick();
    }
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 4);
    EXPECT_EQ(w.form1.state().soundIndex, 4);
    EXPECT_TRUE(w.log.callsStartingWith("swf1.Movie=").empty());
}

TEST(PositionTracking, OnlySoundMoviesNeverAdvance) {
    LoadedWindow w;
    w.swf2.files["D:\\m\\1.swf"] = FakeMovieFile{400, "300"};
    w.dlg.openChoice = "D:\\m\\1.swf";
    w.form1.Com2_Click();
    w.form1.ComP_Click();
    w.swf2.clipFrame = 299;
    w.form1.Timer1_Timer();
    EXPECT_EQ(w.form1.state().soundIndex, 1);
    EXPECT_EQ(w.HSc2.value, 299);
}

TEST(PositionTracking, FramesBeyond16BitsLeaveTheBarAtItsLastValue) {
    Playing w;
    w.HSc1.max = 32767;
    w.swf1.frameNum = 30000;
    w.tick();
    w.swf1.frameNum = 40000;
    w.swf2.clipFrame = 50000;
    w.tick();
    EXPECT_EQ(w.HSc1.value, 30000);
    EXPECT_EQ(w.HSc2.value, 0);
}

TEST(PositionTracking, TheSubtitleIndexWidensAndTheSoundIndexStopsAt32767) {
    Playing w;
    w.form1.state().subtitleIndex.set(32767);
    w.form1.state().soundIndex = 32767;
    w.atEnd();
    w.tick();
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 32768);
    EXPECT_EQ(w.form1.state().soundIndex, 32767);
}

TEST(PositionTracking, ANeverSetSubtitleIndexCountsAsZero) {
    Playing w;
    w.form1.state().subtitleIndex = VariantIndex{};
    w.atEnd();
    w.tick();
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 1);
    EXPECT_EQ(w.swf1.movie, "D:\\s\\1.swf");
    EXPECT_EQ(w.log.callsStartingWith("swf1.Movie="), Calls{"swf1.Movie=D:\\s\\1.swf"});
}

// Every way a step of the tick can fail, and what follows it.
struct TickFailure {
    const char* key;
    int occurrence;
    bool subtitleAtEnd;    // swf1 stands on its last frame
    int16_t subtitleBar;   // HSc1's value after the tick
    int16_t soundBar;      // HSc2's value after the tick
    int64_t subtitleIndex;  // after the tick
    int16_t soundIndex;
    const char* subtitleMovie;
    const char* soundMovie;
};

void PrintTo(const TickFailure& f, std::ostream* out) { *out << f.key << " #" << f.occurrence; }

struct TickFailures : ::testing::TestWithParam<TickFailure> {};

TEST_P(TickFailures, GoOnWithTheNextStep) {
    const TickFailure& f = GetParam();
    Playing w;
    w.swf1.frameNum = f.subtitleAtEnd ? 249 : 100;
    w.swf2.clipFrame = 90;
    w.swf2.frameNum = 7;
    w.HSc1.value = 50;
    w.HSc2.value = 40;
    w.log.failOn(f.key, f.occurrence);
    EXPECT_NO_THROW(w.tick());
    EXPECT_EQ(w.HSc1.value, f.subtitleBar);
    EXPECT_EQ(w.HSc2.value, f.soundBar);
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), f.subtitleIndex);
    EXPECT_EQ(w.form1.state().soundIndex, f.soundIndex);
    EXPECT_EQ(w.swf1.movie, f.subtitleMovie);
    EXPECT_EQ(w.swf2.movie, f.soundMovie);
    // Only a movie that cannot be loaded is reported; every other step it goes past stays silent.
    const bool loadFails = std::string(f.key).ends_with(".Movie=");
    EXPECT_EQ(w.reporter.reports.size(), loadFails ? 1u : 0u);
}

TEST(PositionTracking, AMovieTheAdvanceCannotLoadIsReportedOnceNamingWhichAndTheFile) {
    Playing subtitle;
    subtitle.atEnd();
    subtitle.log.failOn("swf1.Movie=");
    subtitle.tick();
    EXPECT_EQ(subtitle.reporter.reports,
              Calls{"Timer1_Timer: the subtitle movie could not be loaded: swf1.Movie=D:\\s\\2.swf failed"});
    EXPECT_EQ(subtitle.swf2.movie, "D:\\m\\2.swf");  // the sound entry is loaded all the same

    Playing sound;
    sound.atEnd();
    sound.log.failOn("swf2.Movie=");
    sound.tick();
    EXPECT_EQ(sound.reporter.reports,
              Calls{"Timer1_Timer: the sound movie could not be loaded: swf2.Movie=D:\\m\\2.swf failed"});
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, TickFailures,
    ::testing::Values(
        // Reading a movie path fails: the copy is made anyway.
        TickFailure{"swf1.Movie", 0, false, 100, 90, 1, 1, "D:\\s\\1.swf", "D:\\m\\1.swf"},
        TickFailure{"swf2.Movie", 0, false, 100, 90, 1, 1, "D:\\s\\1.swf", "D:\\m\\1.swf"},
        // A copy fails: that bar keeps its value.
        TickFailure{"swf1.FrameNum", 0, false, 50, 90, 1, 1, "D:\\s\\1.swf", "D:\\m\\1.swf"},
        TickFailure{"HSc1.Value=", 0, false, 50, 90, 1, 1, "D:\\s\\1.swf", "D:\\m\\1.swf"},
        TickFailure{"swf2.TCurrentFrame", 0, false, 100, 40, 1, 1, "D:\\s\\1.swf", "D:\\m\\1.swf"},
        TickFailure{"HSc2.Value=", 0, false, 100, 40, 1, 1, "D:\\s\\1.swf", "D:\\m\\1.swf"},
        // The sound timeline question fails: the main timeline's frame is copied.
        TickFailure{"swf2.TGetProperty", 0, false, 100, 7, 1, 1, "D:\\s\\1.swf", "D:\\m\\1.swf"},
        // The end test cannot be made: counted as met, both playlists advance.
        TickFailure{"HSc1.Value", 0, false, 100, 90, 2, 2, "D:\\s\\2.swf", "D:\\m\\2.swf"},
        TickFailure{"HSc1.Max", 1, false, 100, 90, 2, 2, "D:\\s\\2.swf", "D:\\m\\2.swf"},
        // Loading the next subtitle movie fails: the next sound movie is still loaded. (A newly
        // loaded movie of 202 frames pulls the bar's value down to its maximum.)
        TickFailure{"swf1.Movie=", 0, true, 249, 90, 2, 2, "D:\\s\\1.swf", "D:\\m\\2.swf"},
        TickFailure{"swf1.Play", 0, true, 202, 90, 2, 2, "D:\\s\\2.swf", "D:\\m\\2.swf"},
        // Loading the next sound movie fails: the end of the tick.
        TickFailure{"swf2.Movie=", 0, true, 202, 90, 2, 2, "D:\\s\\2.swf", "D:\\m\\1.swf"}));

TEST(PositionTracking, AMaximumOfMinus32768CountsAsTheEnd) {
    Playing w;
    w.HSc1.max = -32768;
    w.HSc1.value = -32768;
    w.swf1.movie.clear();
    w.tick();
    EXPECT_EQ(w.form1.state().subtitleIndex.value(), 2);
}

TEST(PositionTracking, ASubtitleIndexBeyond16BitsSkipsTheSubtitleButLoadsTheSound) {
    Playing w;
    w.form1.state().subtitleFiles.resize(40000, "D:\\s\\same.swf");
    w.form1.state().subtitleIndex.set(32767);
    w.form1.state().soundIndex = 1;
    w.atEnd();
    w.tick();
    EXPECT_EQ(w.swf1.movie, "D:\\s\\1.swf");
    EXPECT_EQ(w.swf2.movie, "D:\\m\\2.swf");
}

TEST(PositionTracking, BeforeStartUpThePlaylistBoundCannotBeReadAndTheTickStops) {
    FakeWindow w;
    Form1 form(w.controls());
    form.state().isPlaying = -1;
    w.HSc1.max = 0;
    form.Timer1_Timer();
    EXPECT_EQ(form.state().subtitleIndex.value(), 1);
    EXPECT_TRUE(w.log.callsStartingWith("swf1.Movie=").empty());
}

}  // namespace
}  // namespace velmora
