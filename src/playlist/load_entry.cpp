#include "platform/core/checked_int.h"
#include "platform/core/failure.h"
#include "playlist/sound_timeline.h"
#include "window/form1.h"

namespace velmora {

void Form1::PutMovie(bool sound, const std::string& path, const char* reportFrom) {
    try {
        (sound ? c_.swf2 : c_.swf1).putMovie(path);
    } catch (const Failure& e) {
        if (reportFrom) {
            const std::string which = sound ? "the sound movie" : "the subtitle movie";
            const std::string why = e.what();
            // The player's own reason names the file already; a bare one gets it added.
            c_.reporter.report(reportFrom, why.find(path) != std::string::npos
                                               ? which + " could not be loaded: " + why
                                               : which + " " + path + " could not be loaded: " + why);
        }
        throw;
    }
}

void Form1::LoadSubtitleEntry(int16_t index, const char* reportFrom) {
    PutMovie(false, entryAt(state_.subtitleFiles, index), reportFrom);
    c_.HSc1.putMax(narrow16(c_.swf1.TotalFrames()));
    c_.swf1.Play();
    c_.form.putCaption(entryAt(state_.subtitleFiles, index));
}

void Form1::LoadSoundEntry(int16_t index, const char* reportFrom) {
    PutMovie(true, entryAt(state_.soundFiles, index), reportFrom);
    // A failed or non-numeric clip query counts as zero, as when opening: a sound movie narrated
    // on its main timeline still gets its own maximum, so its bar keeps moving.
    c_.HSc2.putMax(soundFrameCount(c_.swf2, soundTimelineOrMain(c_.swf2)));
    // Only the main timeline is started here; no play call goes to the clip.
    c_.swf2.Play();
}

}  // namespace velmora
