#include "platform/core/attempt.h"
#include "platform/core/checked_int.h"
#include "playlist/movie_paths.h"
#include "playlist/sound_timeline.h"
#include "window/form1.h"

namespace velmora {

namespace {
// Explorer-style dialog in which several files may be chosen.
constexpr int32_t kOpenFlags = 524800;
constexpr const char* kSwfFilter = "Flash(*.swf)|*.swf";
// Bounds the dialog's result; it keeps the number of chosen files far below 32767.
constexpr int16_t kMaxFileSize = 360;
}  // namespace

// What differs between opening subtitle movies and opening sound movies.
struct Form1::OpenSide {
    const char* subfolder;  // beside the program: where the dialog starts
    bool sound;             // soundFiles, soundIndex, swf2, HSc2; otherwise the subtitle side
    OnFailure policy;
    const char* handler;    // the handler's name, for failures it reports
};

void Form1::Com1_Click() { OpenPlaylist({"swf", false, OnFailure::Stop, "Com1_Click"}); }

void Form1::Com2_Click() { OpenPlaylist({"mp3", true, OnFailure::GoOn, "Com2_Click"}); }

void Form1::OpenPlaylist(const OpenSide& side) {
    const OnFailure p = side.policy;
    Playlist& playlist = side.sound ? state_.soundFiles : state_.subtitleFiles;
    MoviePlayer& player = side.sound ? c_.swf2 : c_.swf1;
    ScrollBarControl& bar = side.sound ? c_.HSc2 : c_.HSc1;

    attempt(p, [&] { c_.dlg.putFileName(""); });
    attempt(p, [&] { c_.dlg.putFlags(kOpenFlags); });
    attempt(p, [&] { c_.dlg.putFilter(kSwfFilter); });
    attempt(p, [&] {
        const std::string appFolder = c_.appFolder.Path();
        c_.dlg.putInitDir(startFolder(appFolder, c_.appFolder.Separator(), side.subfolder));
    });
    attempt(p, [&] { c_.dlg.putMaxFileSize(kMaxFileSize); });
    attempt(p, [&] { c_.dlg.ShowOpen(); });

    // The name was cleared before the dialog, so an empty one means the user cancelled. A name
    // that cannot be read counts as a cancel.
    std::string name;
    if (!attempt(p, [&] { name = c_.dlg.FileName(); }) || name.empty()) return;
    std::string selection;
    attempt(p, [&] { selection = c_.dlg.FileName(); });

    if (selection.find('\0') == std::string::npos) {
        // One file: entry 0 stays empty, entry 1 is the full path.
        attempt(p, [&] { playlist = Playlist(2); });
        attempt(p, [&] { entryAt(playlist, 1) = selection; });
    } else {
        // Several files: the folder, then the names; each name becomes folder + name.
        playlist = splitAtNul(selection);
        int16_t bound = 0;
        if (attempt(p, [&] { bound = narrow16(upperBound(playlist)); })) {
            for (int16_t i = 1; i <= bound;) {
                attempt(p, [&] {
                    entryAt(playlist, i) = joinFolderAndName(entryAt(playlist, 0), entryAt(playlist, i),
                                                             c_.appFolder.Separator());
                });
                if (!attempt(p, [&] { i = add16(i, 1); })) break;
            }
        }
    }

    if (side.sound) {
        state_.soundIndex = 1;
    } else {
        state_.subtitleIndex.set(1);
    }

    // A handler that goes on past a movie that cannot be loaded still says so; one that stops
    // there passes the failure to the toolkit, which reports it.
    attempt(p, [&] { PutMovie(side.sound, entryAt(playlist, 1), p == OnFailure::GoOn ? side.handler : nullptr); });
    if (side.sound) {
        // A sound movie whose clip query fails is sized on its main timeline.
        attempt(p, [&] { bar.putMax(soundFrameCount(c_.swf2, soundTimelineOrMain(c_.swf2))); });
    } else {
        attempt(p, [&] { bar.putMax(narrow16(c_.swf1.TotalFrames())); });
    }

    // The movie waits for the play button: stop the main timeline and, for sound, the clip too.
    attempt(p, [&] { player.StopPlay(); });
    if (side.sound) {
        attempt(p, [&] { c_.swf2.TStopPlay(kSoundClip); });
    } else {
        c_.form.putCaption(entryAt(playlist, 1));
    }
}

}  // namespace velmora
