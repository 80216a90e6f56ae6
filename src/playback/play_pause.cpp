#include "platform/core/attempt.h"
#include "playlist/sound_timeline.h"
#include "window/form1.h"
#include "window/form1_creation.h"

namespace velmora {

// Toggles the pair between playing and paused. Every step is tried on its own, so the caption,
// the flag and the stepping timers always follow the click, even with no movie loaded.
void Form1::ComP_Click() {
    if (state_.isPlaying == kPlaying) {
        attempt([&] { c_.swf1.StopPlay(); });
        attempt([&] { c_.swf2.StopPlay(); });
        attempt([&] { c_.swf2.TStopPlay(kSoundClip); });
        attempt([&] { c_.Timer2.putEnabled(false); });
        attempt([&] { c_.Timer3.putEnabled(false); });
        attempt([&] { c_.ComP.putCaption(std::string(kPlayCaption)); });
        state_.isPlaying = kPaused;
        return;
    }

    // Resume from where the bars stand, which may be where the user dragged them while paused.
    attempt([&] { c_.swf1.GotoFrame(c_.HSc1.Value()); });
    const SoundTimeline timeline = soundTimelineOrMain(c_.swf2);
    attempt([&] { soundGotoFrame(c_.swf2, timeline, c_.HSc2.Value()); });
    // Both the main timeline and the clip of the sound movie start, whichever carries the sound.
    attempt([&] { c_.swf1.Play(); });
    attempt([&] { c_.swf2.Play(); });
    attempt([&] { c_.swf2.TPlay(kSoundClip); });
    // Only the stepping timer that the slider names runs; at 0, or when the slider cannot be
    // read, neither does.
    int32_t speed = 0;
    attempt([&] { speed = c_.Slider1.Value(); });
    attempt([&] { c_.Timer2.putEnabled(speed > 0); });
    attempt([&] { c_.Timer3.putEnabled(speed < 0); });
    attempt([&] { c_.ComP.putCaption(std::string(kPauseCaption)); });
    state_.isPlaying = kPlaying;
}

}  // namespace velmora
