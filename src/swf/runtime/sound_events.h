#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

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

    // The same event sound started by one of clip's frames or buttons: it is heard through clip's
    // volume (heardTransform). By default the clip is not told apart.
    virtual void startSoundFor(const Clip& clip, const StartSound& tag, const SoundCharacter* sound) {
        (void)clip;
        startSound(tag, sound);
    }

    // What a script's Sound object asks. Ids are never 0; 0 means nothing was started. A sound
    // system without script sounds starts nothing.
    //
    // Plays sound (held by the pointer while it plays) as clip's, `offsetSeconds` in, `loops`
    // times, heard through clip's volume. whenEnded is called on the thread that owns the movie
    // once it has stopped, outside any script; ranOut tells a sound that played to its end.
    virtual uint64_t playScriptSound(const Clip& clip, std::shared_ptr<const SoundCharacter> sound, double offsetSeconds,
                                     int loops, std::function<void(bool ranOut)> whenEnded) {
        (void)clip, (void)sound, (void)offsetSeconds, (void)loops, (void)whenEnded;
        return 0;
    }
    // Stops the sounds that belong to clip or to the clips inside it: event sounds and script
    // sounds, those of `sound` only when it is given. Streams play on.
    virtual void stopClipSounds(const Clip& clip, const SoundCharacter* sound) { (void)clip, (void)sound; }
    virtual void stopScriptSound(uint64_t id) { (void)id; }
    // Seconds into a script sound (in its current loop) being heard now; nullopt once it ended.
    virtual std::optional<double> scriptSoundPosition(uint64_t id) const {
        (void)id;
        return std::nullopt;
    }
    // A sound made of a sound file a script loaded (an MP3 file), or nullptr with the reason in
    // whyNot. The bytes are hostile: a file that is no sound gives the reason, never a crash.
    virtual std::shared_ptr<const SoundCharacter> soundFromFile(std::span<const uint8_t> file, std::string& whyNot) {
        (void)file;
        whyNot = "the movie plays without sound";
        return nullptr;
    }
    // A clip's soundMix() changed: every sound playing for it or the clips inside it takes the
    // new volume.
    virtual void clipMixChanged() {}
};

}  // namespace velmora::swf
