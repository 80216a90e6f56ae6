#include "playlist/sound_timeline.h"

#include "platform/core/checked_int.h"

namespace velmora {

SoundTimeline decideSoundTimeline(MoviePlayer& swf2) {
    const double clipFrames = textToDouble(swf2.TGetProperty(kSoundClip, kFrameCountProperty));
    return clipFrames != 0.0 ? SoundTimeline::Clip : SoundTimeline::Main;
}

SoundTimeline soundTimelineOrMain(MoviePlayer& swf2) {
    try {
        return decideSoundTimeline(swf2);
    } catch (const Failure&) {
        return SoundTimeline::Main;
    }
}

int16_t soundFrameCount(MoviePlayer& swf2, SoundTimeline timeline) {
    if (timeline == SoundTimeline::Clip) return textToInt16(swf2.TGetProperty(kSoundClip, kFrameCountProperty));
    return narrow16(swf2.TotalFrames());
}

int16_t soundCurrentFrame(MoviePlayer& swf2, SoundTimeline timeline) {
    return narrow16(timeline == SoundTimeline::Clip ? swf2.TCurrentFrame(kSoundClip) : swf2.FrameNum());
}

void soundGotoFrame(MoviePlayer& swf2, SoundTimeline timeline, int32_t frame) {
    if (timeline == SoundTimeline::Clip) {
        swf2.TGotoFrame(kSoundClip, frame);
    } else {
        swf2.GotoFrame(frame);
    }
}

void soundResume(MoviePlayer& swf2, SoundTimeline timeline) {
    if (timeline == SoundTimeline::Clip) {
        swf2.TPlay(kSoundClip);
    } else {
        swf2.Play();
    }
}

}  // namespace velmora
