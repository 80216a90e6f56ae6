#pragma once

#include <cstddef>
#include <optional>

namespace velmora::swf {

class Clip;
struct StartSound;
struct SoundCharacter;

// What the timelines tell the sound system, and the one thing they ask it. Implemented by the
// sound mixer; a movie without a sound system plays silently with a null pointer.
class SoundEvents {
public:
    virtual ~SoundEvents() = default;

    // clip's stream sound should be heard from the start of `frame` on (play pressed, a goto while
    // running, a loop back to the first frame). Called only for timelines with a stream head.
    virtual void streamPlay(const Clip& clip, size_t frame) = 0;
    // clip stopped (StopPlay, TStopPlay, a stop action, the end of a non-looping timeline) or was
    // removed: its stream falls silent.
    virtual void streamStop(const Clip& clip) = 0;
    // While clip's stream is audible: the position of its audio, in frames of clip's timeline
    // (fractional). The timeline follows it so that picture keeps pace with sound. nullopt when
    // the stream has run out or is not playing; the timeline then runs on its frame rate.
    virtual std::optional<double> streamPosition(const Clip& clip) const = 0;

    // An event sound (StartSound, button sounds); sound may be null when the id names nothing.
    virtual void startSound(const StartSound& tag, const SoundCharacter* sound) = 0;
    // The StopSounds action: every sound of this movie falls silent.
    virtual void stopAllSounds() = 0;
};

}  // namespace velmora::swf
