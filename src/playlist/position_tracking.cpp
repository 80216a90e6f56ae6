#include "platform/core/attempt.h"
#include "platform/core/checked_int.h"
#include "playlist/sound_timeline.h"
#include "window/form1.h"

namespace velmora {

// Runs every 300 ms. While playing it copies both movies' positions into their bars, and when the
// subtitle movie reaches its end it moves both playlists on by one entry. Every step is tried on
// its own; a test that cannot be made counts as met, so the step it guards is still tried.
void Form1::Timer1_Timer() {
    if (state_.isPlaying == 0) return;

    // Subtitle position.
    bool subtitleLoaded = true;
    attempt([&] { subtitleLoaded = !c_.swf1.Movie().empty(); });
    if (subtitleLoaded) {
        attempt([&] { c_.HSc1.putValue(narrow16(c_.swf1.FrameNum())); });
    }

    // Sound position, on whichever timeline carries the narration.
    bool soundLoaded = true;
    attempt([&] { soundLoaded = !c_.swf2.Movie().empty(); });
    if (soundLoaded) {
        const SoundTimeline timeline = soundTimelineOrMain(c_.swf2);
        attempt([&] { c_.HSc2.putValue(soundCurrentFrame(c_.swf2, timeline)); });
    }

    // End test: the subtitle bar within one frame of its maximum.
    bool atEnd = true;
    attempt([&] {
        const int16_t value = c_.HSc1.Value();
        const int16_t max = c_.HSc1.Max();
        atEnd = value >= sub16(max, 1);
    });
    if (!atEnd) return;

    // Both indexes move on together, before either bound is tested.
    state_.subtitleIndex.increment();
    attempt([&] { state_.soundIndex = add16(state_.soundIndex, 1); });

    // The sound entry is loaded only when the subtitle entry was.
    bool subtitleBeyondEnd = true;
    attempt([&] { subtitleBeyondEnd = state_.subtitleIndex.value() > upperBound(state_.subtitleFiles); });
    if (subtitleBeyondEnd) return;
    attempt([&] { LoadSubtitleEntry(narrow16(state_.subtitleIndex.value()), "Timer1_Timer"); });

    bool soundBeyondEnd = true;
    attempt([&] { soundBeyondEnd = state_.soundIndex > upperBound(state_.soundFiles); });
    if (soundBeyondEnd) return;
    attempt([&] { LoadSoundEntry(state_.soundIndex, "Timer1_Timer"); });
}

}  // namespace velmora
