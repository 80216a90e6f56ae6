#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::FakeMovieFile;
using testing::LoadedWindow;
using Calls = std::vector<std::string>;

struct Seek : ::testing::Test {
    LoadedWindow w;
    void load(std::optional<std::string> clipFrames = "300") {
        w.swf1.load("D:\\s\\1.swf", FakeMovieFile{250});
        w.swf2.load("D:\\m\\1.swf", FakeMovieFile{400, std::move(clipFrames)});
        w.HSc1.max = 250;
        w.HSc2.max = 300;
    }
    void dragSubtitle(int16_t to) {
        w.HSc1.value = to;
        w.log.clear();
        w.form1.HSc1_Scroll();
    }
    void dragSound(int16_t to) {
        w.HSc2.value = to;
        w.log.clear();
        w.form1.HSc2_Scroll();
    }
    void setPlaying(bool playing) { w.form1.state().isPlaying = playing ? -1 : 0; }
};

TEST_F(Seek, DraggingBeforeAMovieIsLoadedDoesNothing) {
    dragSubtitle(120);
    EXPECT_EQ(w.log.calls(), Calls{"swf1.Movie"});
    dragSound(120);
    EXPECT_EQ(w.log.calls(), Calls{"swf2.Movie"});
}

TEST_F(Seek, SubtitleBarMovesOnlyTheSubtitleMovieAndPlaysOnWhilePlaying) {
    load();
    setPlaying(true);
    dragSubtitle(120);
    EXPECT_EQ(w.log.calls(), (Calls{"swf1.Movie", "HSc1.Value", "swf1.GotoFrame(120)", "swf1.Play()"}));

    setPlaying(false);
    dragSubtitle(120);
    EXPECT_EQ(w.log.calls(), (Calls{"swf1.Movie", "HSc1.Value", "swf1.GotoFrame(120)"}));
    EXPECT_FALSE(w.swf1.playing);
    EXPECT_EQ(w.HSc1.value, 120);
}

TEST_F(Seek, SubtitleBarStopsAtTheFirstFailure) {
    load();
    setPlaying(true);
    w.log.failOn("swf1.GotoFrame");
    EXPECT_THROW(dragSubtitle(120), Failure);
    EXPECT_TRUE(w.log.callsStartingWith("swf1.Play").empty());
}

TEST_F(Seek, SoundBarFollowsTheSoundTimeline) {
    load("300");
    setPlaying(true);
    dragSound(150);
    EXPECT_EQ(w.log.calls(), (Calls{"swf2.Movie", "swf2.TGetProperty(mp3_mc,5)", "HSc2.Value",
                                    "swf2.TGotoFrame(mp3_mc,150)", "swf2.TGetProperty(mp3_mc,5)", "swf2.TPlay(mp3_mc)"}));

    load("0");
    dragSound(150);
    EXPECT_EQ(w.log.callsStartingWith("swf2.Play"), Calls{"swf2.Play()"});
    EXPECT_EQ(w.log.callsStartingWith("swf2.GotoFrame"), Calls{"swf2.GotoFrame(150)"});
    EXPECT_TRUE(w.log.callsStartingWith("swf2.T").size() == 2);  // only the two questions

    setPlaying(false);
    dragSound(20);
    EXPECT_EQ(w.log.calls(), (Calls{"swf2.Movie", "swf2.TGetProperty(mp3_mc,5)", "HSc2.Value", "swf2.GotoFrame(20)"}));
    EXPECT_TRUE(w.log.callsStartingWith("swf1").empty());
}

TEST_F(Seek, SoundBarGoesOnPastFailures) {
    struct Case {
        const char* key;
        int occurrence;
        Calls calls;
    };
    const Case cases[] = {
        // The path cannot be read: no seek, as with no movie.
        {"swf2.Movie", 0, {"swf2.Movie !"}},
        // A failed question means the main timeline.
        {"swf2.TGetProperty", 1, {"swf2.Movie", "swf2.TGetProperty(mp3_mc,5) !", "HSc2.Value", "swf2.GotoFrame(150)",
                                  "swf2.TGetProperty(mp3_mc,5)", "swf2.TPlay(mp3_mc)"}},
        {"swf2.TGetProperty", 2, {"swf2.Movie", "swf2.TGetProperty(mp3_mc,5)", "HSc2.Value",
                                  "swf2.TGotoFrame(mp3_mc,150)", "swf2.TGetProperty(mp3_mc,5) !", "swf2.Play()"}},
        // A failed seek still lets the movie run on.
        {"swf2.TGotoFrame", 0, {"swf2.Movie", "swf2.TGetProperty(mp3_mc,5)", "HSc2.Value",
                                "swf2.TGotoFrame(mp3_mc,150) !", "swf2.TGetProperty(mp3_mc,5)", "swf2.TPlay(mp3_mc)"}},
        {"HSc2.Value", 0, {"swf2.Movie", "swf2.TGetProperty(mp3_mc,5)", "HSc2.Value !", "swf2.TGetProperty(mp3_mc,5)",
                           "swf2.TPlay(mp3_mc)"}},
        {"swf2.TPlay", 0, {"swf2.Movie", "swf2.TGetProperty(mp3_mc,5)", "HSc2.Value", "swf2.TGotoFrame(mp3_mc,150)",
                           "swf2.TGetProperty(mp3_mc,5)", "swf2.TPlay(mp3_mc) !"}},
    };
    for (const Case& c : cases) {
        LoadedWindow v;
        v.swf2.load("D:\\m\\1.swf", FakeMovieFile{400, "300"});
        v.form1.state().isPlaying = -1;
        v.HSc2.value = 150;
        v.log.failOn(c.key, c.occurrence);
        EXPECT_NO_THROW(v.form1.HSc2_Scroll());
        EXPECT_EQ(v.log.calls(), c.calls) << c.key << " #" << c.occurrence;
    }
}

TEST_F(Seek, ASoundMovieWithoutTheClipIsSoughtOnItsMainTimeline) {
    load(std::nullopt);
    setPlaying(true);
    dragSound(42);
    EXPECT_EQ(w.swf2.frameNum, 42);
    EXPECT_TRUE(w.swf2.playing);
}

}  // namespace
}  // namespace velmora
