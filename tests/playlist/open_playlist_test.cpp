#include <gtest/gtest.h>

#include "support/fake_window.h"

namespace velmora {
namespace {

using testing::FakeMovieFile;
using testing::LoadedWindow;
using Calls = std::vector<std::string>;

// The dialog's result for several files: the folder and the names, separated by NUL characters.
std::string nulJoined(std::initializer_list<std::string> items) {
    std::string joined;
    for (const std::string& item : items) {
        if (!joined.empty() || item != *items.begin()) joined += '\0';
        joined += item;
    }
    return joined;
}

struct Open : ::testing::Test {
    LoadedWindow w;
    void openSubtitles(std::optional<std::string> choice) {
        w.dlg.openChoice = std::move(choice);
        w.log.clear();
        w.form1.Com1_Click();
    }
    void openSound(std::optional<std::string> choice) {
        w.dlg.openChoice = std::move(choice);
        w.log.clear();
        w.form1.Com2_Click();
    }
    const Form1State& state() const { return w.form1.state(); }
};

TEST_F(Open, OneSubtitleMovieIsLoadedSizedStoppedAndTitled) {
    w.appFolder.path = "D:\\lessons";
    w.swf1.files["D:\\a\\x.swf"] = FakeMovieFile{250};
    openSubtitles("D:\\a\\x.swf");

    EXPECT_EQ(w.log.calls(),
              (Calls{"dlg.FileName=", "dlg.Flags=524800", "dlg.Filter=Flash(*.swf)|*.swf", "app.Path",
                     "app.Separator", "dlg.InitDir=D:\\lessons\\swf", "dlg.MaxFileSize=360", "dlg.ShowOpen()",
                     "dlg.FileName", "dlg.FileName", "swf1.Movie=D:\\a\\x.swf", "swf1.TotalFrames", "HSc1.Max=250",
                     "swf1.StopPlay()", "Form1.Caption=D:\\a\\x.swf"}));
    EXPECT_EQ(state().subtitleFiles, (Playlist{"", "D:\\a\\x.swf"}));
    EXPECT_EQ(state().subtitleIndex.value(), 1);
    EXPECT_FALSE(w.swf1.playing);
    // The other side, the play state and the stepping timers are left alone.
    EXPECT_EQ(state().soundFiles, Playlist{""});
    EXPECT_EQ(state().soundIndex, 0);
    EXPECT_EQ(state().isPlaying, 0);
    EXPECT_EQ(w.ComP.caption, "播放");
    EXPECT_TRUE(w.log.callsStartingWith("swf2").empty());
}

TEST_F(Open, SeveralFilesBecomeFolderAndJoinedPathsInDialogOrder) {
    openSubtitles(nulJoined({"D:\\a", "x.swf", "y.swf", "z.swf"}));
    EXPECT_EQ(state().subtitleFiles, (Playlist{"D:\\a", "D:\\a\\x.swf", "D:\\a\\y.swf", "D:\\a\\z.swf"}));
    EXPECT_EQ(w.swf1.movie, "D:\\a\\x.swf");
    EXPECT_EQ(w.form.caption, "D:\\a\\x.swf");
}

TEST_F(Open, PathsUseThePlatformSeparator) {
    struct Case {
        char separator;
        std::string app, initDir, folder, first;
    };
    for (const Case& c : {Case{'\\', "E:\\", "E:\\mp3", "D:\\", "D:\\x.swf"},
                          Case{'\\', "E:\\lessons", "E:\\lessons\\mp3", "D:\\a", "D:\\a\\x.swf"},
                          Case{'/', "/", "/mp3", "/", "/x.swf"},
                          Case{'/', "/opt/velmora", "/opt/velmora/mp3", "/home/a", "/home/a/x.swf"}}) {
        w.appFolder.path = c.app;
        w.appFolder.separator = c.separator;
        openSound(nulJoined({c.folder, "x.swf", "y.swf"}));
        EXPECT_EQ(w.dlg.initDir, c.initDir);
        ASSERT_EQ(state().soundFiles.size(), 3u);
        EXPECT_EQ(state().soundFiles[0], c.folder);
        EXPECT_EQ(state().soundFiles[1], c.first);
        EXPECT_EQ(w.swf2.movie, c.first);
    }
}

TEST_F(Open, AResultEndingInNulGivesTheFolderWithOneSeparator) {
    openSubtitles(nulJoined({"D:\\a", "x.swf", ""}));
    EXPECT_EQ(state().subtitleFiles, (Playlist{"D:\\a", "D:\\a\\x.swf", "D:\\a\\"}));
    w.appFolder.separator = '/';
    openSubtitles(nulJoined({"/home/a", "x.swf", ""}));
    EXPECT_EQ(state().subtitleFiles, (Playlist{"/home/a", "/home/a/x.swf", "/home/a/"}));
}

TEST_F(Open, CancelChangesNothing) {
    openSubtitles("D:\\a\\x.swf");
    w.HSc1.value = 40;
    w.form1.state().subtitleIndex.set(2);
    openSubtitles(std::nullopt);
    EXPECT_EQ(state().subtitleFiles, (Playlist{"", "D:\\a\\x.swf"}));
    EXPECT_EQ(state().subtitleIndex.value(), 2);
    EXPECT_EQ(w.HSc1.value, 40);
    EXPECT_EQ(w.log.calls().back(), "dlg.FileName");
    EXPECT_TRUE(w.log.callsStartingWith("swf1").empty());

    openSound(std::nullopt);
    EXPECT_TRUE(w.log.callsStartingWith("swf2").empty());
    EXPECT_EQ(state().soundIndex, 0);
}

TEST_F(Open, OpeningAgainReplacesThePlaylistAndRestartsAtEntryOne) {
    openSubtitles(nulJoined({"D:\\a", "x.swf", "y.swf", "z.swf"}));
    w.form1.state().subtitleIndex.set(3);
    openSubtitles("D:\\b\\n.swf");
    EXPECT_EQ(state().subtitleFiles, (Playlist{"", "D:\\b\\n.swf"}));
    EXPECT_EQ(state().subtitleIndex.value(), 1);
}

TEST_F(Open, ASelectionTooLongForTheDialogIsAFailureNeverAShortenedList) {
    std::string many = "D:\\lessons";
    for (int i = 0; i < 40; ++i) many += std::string(1, '\0') + "lesson" + std::to_string(i) + ".swf";
    EXPECT_THROW(openSubtitles(many), Failure);
    EXPECT_EQ(state().subtitleFiles, Playlist{""});

    openSound(many);  // the sound button passes over it: as after a cancel
    EXPECT_EQ(state().soundFiles, Playlist{""});
    EXPECT_TRUE(w.log.callsStartingWith("swf2").empty());
}

TEST_F(Open, SubtitleOpenStopsAtItsFirstFailure) {
    w.swf1.files["D:\\a\\big.swf"] = FakeMovieFile{40000};
    w.HSc1.max = 500;
    EXPECT_THROW(openSubtitles("D:\\a\\big.swf"), OverflowFailure);
    // Playlist, index and movie are done; the maximum, the stop and the caption are not.
    EXPECT_EQ(state().subtitleFiles, (Playlist{"", "D:\\a\\big.swf"}));
    EXPECT_EQ(state().subtitleIndex.value(), 1);
    EXPECT_EQ(w.swf1.movie, "D:\\a\\big.swf");
    EXPECT_EQ(w.HSc1.max, 500);
    EXPECT_TRUE(w.swf1.playing);
    EXPECT_EQ(w.form.caption, "Velmora");

    for (const char* key : {"dlg.Flags=", "app.Path", "dlg.ShowOpen", "dlg.FileName", "swf1.Movie=", "swf1.StopPlay"}) {
        LoadedWindow fresh;
        fresh.dlg.openChoice = "D:\\a\\x.swf";
        fresh.log.failOn(key);
        EXPECT_THROW(fresh.form1.Com1_Click(), Failure) << key;
        EXPECT_EQ(fresh.form.caption, "Velmora") << key;
        EXPECT_TRUE(fresh.log.calls().back().ends_with(" !")) << key;
        // The toolkit reports what ends the handler; the handler reports nothing itself.
        EXPECT_TRUE(fresh.reporter.reports.empty()) << key;
    }
}

TEST_F(Open, SoundMovieIsSizedOnItsSoundTimelineAndStoppedOnBoth) {
    w.swf2.files["D:\\m\\clip.swf"] = FakeMovieFile{1, "120"};
    openSound("D:\\m\\clip.swf");
    EXPECT_EQ(w.HSc2.max, 120);
    EXPECT_EQ(w.log.callsStartingWith("swf2"),
              (Calls{"swf2.Movie=D:\\m\\clip.swf", "swf2.TGetProperty(mp3_mc,5)", "swf2.TGetProperty(mp3_mc,5)",
                     "swf2.StopPlay()", "swf2.TStopPlay(mp3_mc)"}));
    EXPECT_FALSE(w.swf2.playing);
    EXPECT_FALSE(w.swf2.clipPlaying);
    EXPECT_EQ(state().soundFiles, (Playlist{"", "D:\\m\\clip.swf"}));
    EXPECT_EQ(state().soundIndex, 1);
    EXPECT_EQ(w.form.caption, "Velmora");
    EXPECT_EQ(w.dlg.initDir, "D:\\lessons\\mp3");

    // Clip of zero frames, a text that is no number, or no clip at all: the main timeline's count.
    for (std::optional<std::string> clip : {std::optional<std::string>("0"), std::optional<std::string>("n/a"),
                                            std::optional<std::string>()}) {
        w.swf2.files["D:\\m\\main.swf"] = FakeMovieFile{300, clip};
        openSound("D:\\m\\main.swf");
        EXPECT_EQ(w.HSc2.max, 300);
        EXPECT_FALSE(w.swf2.playing);
    }
}

// Every way a step of the sound button can fail, and what follows it.
struct SoundOpenFailure {
    const char* key;
    int occurrence;
    Playlist playlist;  // soundFiles afterwards (empty: unchanged)
    const char* movie;  // swf2's movie afterwards
    int16_t max;        // HSc2's maximum afterwards
    bool stopped;       // swf2's main timeline stopped afterwards
};

void PrintTo(const SoundOpenFailure& f, std::ostream* out) { *out << f.key << " #" << f.occurrence; }

struct SoundOpenFailures : ::testing::TestWithParam<SoundOpenFailure> {};

TEST_P(SoundOpenFailures, GoOnWithTheNextStep) {
    const SoundOpenFailure& f = GetParam();
    LoadedWindow w;
    w.swf2.load("D:\\old.swf", FakeMovieFile{77});
    w.HSc2.max = 77;
    w.swf2.files["D:\\m\\x.swf"] = FakeMovieFile{90, "120"};
    w.swf2.files["D:\\m\\y.swf"] = FakeMovieFile{200, "150"};
    w.dlg.initDir = "D:\\before";
    w.dlg.openChoice = nulJoined({"D:\\m", "x.swf", "y.swf"});
    w.log.failOn(f.key, f.occurrence);

    EXPECT_NO_THROW(w.form1.Com2_Click());

    const Form1State& s = w.form1.state();
    EXPECT_EQ(s.soundFiles, f.playlist.empty() ? Playlist{""} : f.playlist);
    EXPECT_EQ(s.soundIndex, f.playlist.empty() ? 0 : 1);
    EXPECT_EQ(w.swf2.movie, f.movie);
    EXPECT_EQ(w.HSc2.max, f.max);
    EXPECT_EQ(!w.swf2.playing, f.stopped);
    // Only the movie that cannot be loaded is reported; every other step it goes past is silent.
    EXPECT_EQ(w.reporter.reports.size(), std::string(f.key) == "swf2.Movie=" ? 1u : 0u);
}

const Playlist kChosen{"D:\\m", "D:\\m\\x.swf", "D:\\m\\y.swf"};

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SoundOpenFailures,
    ::testing::Values(
        // Dialog settings and the application folder: the dialog still opens.
        SoundOpenFailure{"dlg.FileName=", 0, kChosen, "D:\\m\\x.swf", 120, true},
        SoundOpenFailure{"dlg.Flags=", 0, kChosen, "D:\\m\\x.swf", 120, true},
        SoundOpenFailure{"dlg.Filter=", 0, kChosen, "D:\\m\\x.swf", 120, true},
        SoundOpenFailure{"app.Path", 0, kChosen, "D:\\m\\x.swf", 120, true},
        SoundOpenFailure{"dlg.InitDir=", 0, kChosen, "D:\\m\\x.swf", 120, true},
        SoundOpenFailure{"dlg.MaxFileSize=", 0, kChosen, "D:\\m\\x.swf", 120, true},
        // The dialog fails: the name stays empty, as after a cancel.
        SoundOpenFailure{"dlg.ShowOpen", 0, {}, "D:\\old.swf", 77, false},
        // The emptiness test cannot read the name: as after a cancel.
        SoundOpenFailure{"dlg.FileName", 1, {}, "D:\\old.swf", 77, false},
        // The selection cannot be read: it is the empty text, one entry.
        SoundOpenFailure{"dlg.FileName", 2, Playlist{"", ""}, "", 100, true},
        // A join fails (first use of the separator is the starting folder): that entry keeps its
        // bare name and the loop goes on.
        SoundOpenFailure{"app.Separator", 2, Playlist{"D:\\m", "x.swf", "D:\\m\\y.swf"}, "x.swf", 100, true},
        SoundOpenFailure{"app.Separator", 3, Playlist{"D:\\m", "D:\\m\\x.swf", "y.swf"}, "D:\\m\\x.swf", 120, true},
        // Loading fails: the old movie is sized and stopped instead.
        SoundOpenFailure{"swf2.Movie=", 0, kChosen, "D:\\old.swf", 77, true},
        // The clip query fails: the main timeline's count.
        SoundOpenFailure{"swf2.TGetProperty", 1, kChosen, "D:\\m\\x.swf", 90, true},
        // The second query or the assignment fails: the maximum stays, the movie is still stopped.
        SoundOpenFailure{"swf2.TGetProperty", 2, kChosen, "D:\\m\\x.swf", 77, true},
        SoundOpenFailure{"HSc2.Max=", 0, kChosen, "D:\\m\\x.swf", 77, true},
        // A stop call fails: the next one is still made.
        SoundOpenFailure{"swf2.StopPlay", 0, kChosen, "D:\\m\\x.swf", 120, false},
        SoundOpenFailure{"swf2.TStopPlay", 0, kChosen, "D:\\m\\x.swf", 120, true}));

TEST(SoundOpen, AMovieThatCannotBeLoadedIsReportedOnceNamingTheSoundMovieAndTheFile) {
    LoadedWindow w;
    w.dlg.openChoice = "D:\\m\\x.swf";
    w.log.failOn("swf2.Movie=");
    EXPECT_NO_THROW(w.form1.Com2_Click());
    EXPECT_EQ(w.reporter.reports,
              std::vector<std::string>{"Com2_Click: the sound movie could not be loaded: swf2.Movie=D:\\m\\x.swf failed"});
    // The handler went on as before: the old (empty) movie was stopped.
    EXPECT_EQ(w.log.callsStartingWith("swf2.StopPlay").size(), 1u);
}

TEST(SoundOpen, AFailedStopStillStopsTheClipAndAFailedInitDirKeepsTheOldFolder) {
    LoadedWindow w;
    w.swf2.files["D:\\m\\x.swf"] = FakeMovieFile{90, "120"};
    w.dlg.initDir = "D:\\before";
    w.dlg.openChoice = "D:\\m\\x.swf";
    w.log.failOn("swf2.StopPlay");
    w.log.failOn("dlg.InitDir=");
    w.form1.Com2_Click();
    EXPECT_EQ(w.dlg.initDir, "D:\\before");
    EXPECT_FALSE(w.swf2.clipPlaying);
    EXPECT_EQ(w.log.calls().back(), "swf2.TStopPlay(mp3_mc)");
}

TEST(SoundOpen, ACountAbove32767KeepsTheMaximumAndStillStops) {
    LoadedWindow w;
    w.HSc2.max = 500;
    w.swf2.files["D:\\m\\long.swf"] = FakeMovieFile{40000, "0"};
    w.dlg.openChoice = "D:\\m\\long.swf";
    w.form1.Com2_Click();
    EXPECT_EQ(w.HSc2.max, 500);
    EXPECT_FALSE(w.swf2.playing);

    w.swf2.files["D:\\m\\long.swf"] = FakeMovieFile{10, "40000"};
    w.form1.Com2_Click();
    EXPECT_EQ(w.HSc2.max, 500);
}

TEST(OpenMany, MoreThan32767NamesOverflowTheLoopCounter) {
    // Far beyond what a 360-character result can hold; the dialog's limit is lifted to reach it.
    std::string selection = "D:\\m";
    for (int i = 0; i < 32768; ++i) selection += std::string(1, '\0') + "x";
    {
        LoadedWindow w;
        w.dlg.enforceMaxFileSize = false;
        w.dlg.openChoice = selection;
        EXPECT_THROW(w.form1.Com1_Click(), OverflowFailure);
        EXPECT_EQ(w.form1.state().subtitleFiles.size(), 32769u);
        EXPECT_FALSE(w.form1.state().subtitleIndex.hasValue());
    }
    {
        LoadedWindow w;
        w.dlg.enforceMaxFileSize = false;
        w.dlg.openChoice = selection;
        w.form1.Com2_Click();  // the joins are passed over; the rest goes on
        EXPECT_EQ(w.form1.state().soundIndex, 1);
        EXPECT_EQ(w.swf2.movie, "x");
    }
}

}  // namespace
}  // namespace velmora
