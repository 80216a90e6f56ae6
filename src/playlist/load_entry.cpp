#include "platform/core/checked_int.h"
#include "playlist/sound_timeline.h"
#include "window/form1.h"

namespace velmora {

void Form1::LoadSubtitleEntry(int16_t index) {
    c_.swf1.putMovie(entryAt(state_.subtitleFiles, index));
    c_.HSc1.putMax(narrow16(c_.swf1.TotalFrames()));
    c_.swf1.Play();
    c_.form.putCaption(entryAt(state_.subtitleFiles, index));
}

void Form1::LoadSoundEntry(int16_t index) {
    c_.swf2.putMovie(entryAt(state_.soundFiles, index));
    // A failed or non-numeric clip query counts as zero, as when opening: a sound movie narrated
    // on its main timeline still gets its own maximum, so its bar keeps moving.
    c_.HSc2.putMax(soundFrameCount(c_.swf2, soundTimelineOrMain(c_.swf2)));
    // Only the main timeline is started here; no play call goes to the clip.
    c_.swf2.Play();
}

}  // namespace velmora
