#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::FakeMovieFile;
using testing::LoadedWindow;
using Calls = std::vector<std::string>;

// Three subtitle and three sound movies, the first of each loaded with 250 frames.
struct ThreePairs : LoadedWindow {
    ThreePairs() {
        form1.state().subtitleFiles = {"D:\\s", "D:\\s\\1.swf", "D:\\s\\2.swf", "D:\\s\\3.swf"};
        form1.state().soundFiles = {"D:\\m", "D:\\m\\1.swf", "D:\\m\\2.swf", "D:\\m\\3.swf"};
        swf1.load("D:\\s\\1.swf", FakeMovieFile{250});
        swf2.load("D:\\m\\1.swf", FakeMovieFile{250});
        HSc1.max = 250;
        HSc2.max = 250;
        swf1.files["D:\\s\\2.swf"] = FakeMovieFile{180};
    }
};

struct LoadEntry : ::testing::Test {
    ThreePairs w;
};

TEST_F(LoadEntry, SubtitleEntryIsLoadedSizedStartedAndTitled) {
    w.form1.LoadSubtitleEntry(2);
    EXPECT_EQ(w.log.calls(), (Calls{"swf1.Movie=D:\\s\\2.swf", "swf1.TotalFrames", "HSc1.Max=180", "swf1.Play()",
                                    "Form1.Caption=D:\\s\\2.swf"}));
    EXPECT_TRUE(w.swf1.playing);
}

TEST_F(LoadEntry, SoundEntryIsSizedOnItsSoundTimelineAndOnlyItsMainTimelineStarted) {
    w.swf2.files["D:\\m\\2.swf"] = FakeMovieFile{10, "300"};
    w.form1.LoadSoundEntry(2);
    EXPECT_EQ(w.log.calls(), (Calls{"swf2.Movie=D:\\m\\2.swf", "swf2.TGetProperty(mp3_mc,5)",
                                    "swf2.TGetProperty(mp3_mc,5)", "HSc2.Max=300", "swf2.Play()"}));

    w.swf2.files["D:\\m\\3.swf"] = FakeMovieFile{420, "0"};
    w.form1.LoadSoundEntry(3);
    EXPECT_EQ(w.HSc2.max, 420);
    EXPECT_EQ(w.form.caption, "Velmora");
}

TEST_F(LoadEntry, SoundMovieWithoutTheClipIsSizedOnItsMainTimeline) {
    // A narration on the main timeline, in a playlist: the bar gets this movie's own length, so it
    // does not freeze at the previous movie's maximum.
    w.swf2.files["D:\\m\\2.swf"] = FakeMovieFile{640};
    w.form1.LoadSoundEntry(2);
    EXPECT_EQ(w.HSc2.max, 640);
    EXPECT_EQ(w.log.calls().back(), "swf2.Play()");

    w.swf2.files["D:\\m\\3.swf"] = FakeMovieFile{320, "about 12"};
    w.form1.LoadSoundEntry(3);
    EXPECT_EQ(w.HSc2.max, 320);
    EXPECT_TRUE(w.swf2.playing);
}

TEST_F(LoadEntry, IndexesOutsideThePlaylistAreBoundsFailuresThatChangeNothing) {
    w.form1.LoadSubtitleEntry(3);
    EXPECT_EQ(w.swf1.movie, "D:\\s\\3.swf");
    w.log.clear();
    for (int16_t index : {int16_t{4}, int16_t{-1}, int16_t{32767}}) {
        EXPECT_THROW(w.form1.LoadSubtitleEntry(index), Failure);
        EXPECT_THROW(w.form1.LoadSoundEntry(index), Failure);
    }
    EXPECT_TRUE(w.log.calls().empty());
    EXPECT_EQ(w.swf1.movie, "D:\\s\\3.swf");
    EXPECT_EQ(w.form.caption, "D:\\s\\3.swf");
    // Entry 0 lies within the bounds.
    w.form1.LoadSubtitleEntry(0);
    EXPECT_EQ(w.swf1.movie, "D:\\s");
}

TEST_F(LoadEntry, AFailureEndsTheProcedureWithEarlierStepsDone) {
    struct Case {
        const char* key;
        int occurrence;
        const char* movie;
        int16_t max;
        const char* caption;
    };
    for (const Case& c : {Case{"swf1.Movie=", 0, "D:\\s\\1.swf", 250, "Velmora"},
                          Case{"swf1.TotalFrames", 0, "D:\\s\\2.swf", 250, "Velmora"},
                          Case{"swf1.Play", 0, "D:\\s\\2.swf", 180, "Velmora"},
                          Case{"Form1.Caption=", 0, "D:\\s\\2.swf", 180, "Velmora"}}) {
        ThreePairs v;
        v.log.failOn(c.key, c.occurrence);
        EXPECT_THROW(v.form1.LoadSubtitleEntry(2), Failure) << c.key;
        EXPECT_EQ(v.swf1.movie, c.movie) << c.key;
        EXPECT_EQ(v.HSc1.max, c.max) << c.key;
        EXPECT_EQ(v.form.caption, c.caption) << c.key;
    }
}

TEST_F(LoadEntry, AFrameCountAbove32767LeavesTheNewMovieLoadedButNotStarted) {
    w.swf1.files["D:\\s\\2.swf"] = FakeMovieFile{40000};
    w.swf2.files["D:\\m\\2.swf"] = FakeMovieFile{10, "40000"};
    w.log.failOn("swf1.Play");
    w.log.failOn("swf2.Play");
    EXPECT_THROW(w.form1.LoadSubtitleEntry(2), OverflowFailure);
    EXPECT_THROW(w.form1.LoadSoundEntry(2), OverflowFailure);
    EXPECT_EQ(w.swf1.movie, "D:\\s\\2.swf");
    EXPECT_EQ(w.swf2.movie, "D:\\m\\2.swf");
    EXPECT_EQ(w.HSc1.max, 250);
    EXPECT_EQ(w.HSc2.max, 250);
    EXPECT_EQ(w.form.caption, "Velmora");
    EXPECT_TRUE(w.log.callsStartingWith("swf1.Play").empty());
    EXPECT_TRUE(w.log.callsStartingWith("swf2.Play").empty());
}

TEST_F(LoadEntry, AFailingSecondClipQueryEndsTheSoundLoad) {
    w.swf2.files["D:\\m\\2.swf"] = FakeMovieFile{10, "300"};
    w.log.failOn("swf2.TGetProperty", 2);
    EXPECT_THROW(w.form1.LoadSoundEntry(2), Failure);
    EXPECT_EQ(w.HSc2.max, 250);
    EXPECT_TRUE(w.log.callsStartingWith("swf2.Play").empty());
}

}  // namespace
}  // namespace velmora
