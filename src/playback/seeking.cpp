#include "platform/core/attempt.h"
#include "playlist/sound_timeline.h"
#include "window/form1.h"

namespace velmora {

// The user dragged the subtitle bar: move the subtitle movie there, and let it run on while
// playing. Any failure ends the handler.
void Form1::HSc1_Scroll() {
    if (c_.swf1.Movie().empty()) return;
    c_.swf1.GotoFrame(c_.HSc1.Value());
    if (state_.isPlaying == kPlaying) c_.swf1.Play();
}

// The user dragged the sound bar: move the sound timeline there, and let it run on while playing.
// Goes on past failing steps; a sound movie without the clip is moved on its main timeline.
void Form1::HSc2_Scroll() {
    bool loaded = false;
    if (!attempt([&] { loaded = !c_.swf2.Movie().empty(); }) || !loaded) return;

    const SoundTimeline seekOn = soundTimelineOrMain(c_.swf2);
    attempt([&] { soundGotoFrame(c_.swf2, seekOn, c_.HSc2.Value()); });

    if (state_.isPlaying == kPlaying) {
        // Only the timeline the question names is started, unlike play, which starts both.
        const SoundTimeline resumeOn = soundTimelineOrMain(c_.swf2);
        attempt([&] { soundResume(c_.swf2, resumeOn); });
    }
}

}  // namespace velmora
