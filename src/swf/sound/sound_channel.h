#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "swf/format/diagnostics.h"
#include "swf/format/timeline.h"
#include "swf/runtime/clip_handle.h"
#include "swf/runtime/sound_events.h"
#include "swf/sound/channel_transform.h"
#include "swf/sound/mixer.h"

namespace velmora::swf {

class StreamSound;
class StreamTrack;
class EventSound;

// The sound of one playing movie: the SoundEvents its timelines call, played through the shared
// mixer. Keeps one stream per clip that has one, and the movie's event sounds.
//
// The channel lives on the mixer's control side: it queues commands for the audio thread and
// reads back what the voices publish, never touching their decoders.
//
// Lifetime: the channel must not outlive the mixer, nor the movie whose timelines and sound
// characters it is handed (the player drops the channel with the movie). The voices it starts
// hold what they play themselves (a stream its blocks; an event sound its movie, through
// `owner`), so that they may finish or fade on the audio thread after the movie is gone.
// Destroying the channel silences everything it started.
class SoundChannel final : public SoundEvents {
public:
    // Event sounds playing at once in one movie; the oldest gives way to a new one beyond this, so
    // a movie that starts a sound every frame cannot pile up voices.
    static constexpr size_t kMaxEventSounds = 32;

    // owner should share ownership of the sound characters startSound() is given (the movie):
    // their voices keep it alive while they play. Without one the caller keeps the sounds alive
    // until the voices have ended.
    explicit SoundChannel(Mixer& mixer, std::shared_ptr<const void> owner = {});
    ~SoundChannel() override;
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // SoundEvents, for the runtime's clips.
    void streamPlay(const Clip& clip, size_t frame) override;
    void streamStop(const Clip& clip) override;
    std::optional<double> streamPosition(const Clip& clip) const override;
    void startSound(const StartSound& tag, const SoundCharacter* sound) override;
    void stopAllSounds() override;
    void startSoundFor(const Clip& clip, const StartSound& tag, const SoundCharacter* sound) override;
    uint64_t playScriptSound(const Clip& clip, std::shared_ptr<const SoundCharacter> sound, double offsetSeconds,
                             int loops, std::function<void(bool ranOut)> whenEnded) override;
    void stopClipSounds(const Clip& clip, const SoundCharacter* sound) override;
    void stopScriptSound(uint64_t id) override { stopSound(id); }
    std::optional<double> scriptSoundPosition(uint64_t id) const override { return soundPosition(id); }
    void clipMixChanged() override;
    std::shared_ptr<const SoundCharacter> soundFromFile(std::span<const uint8_t> file, std::string& whyNot) override;

    // The same for any key that stands for a timeline instance, for callers without clips.
    // timeline must outlive the channel; frameRate is the movie's.
    //
    // Starts key's stream at the beginning of `frame`'s sound. If key's stream is already audible
    // within that frame it plays on undisturbed, so a repeated play does not stutter.
    void playStream(const void* key, const Timeline& timeline, double frameRate, size_t frame);
    void stopStream(const void* key);
    // The frame (with fraction) of key's timeline being heard now; nullopt when key's stream is
    // not playing or has run out.
    std::optional<double> streamPositionOf(const void* key) const;

    // Event sounds of this channel still playing.
    size_t eventSoundCount() const;

    // The sounds this channel could not play and why (no decoder for their format), from the
    // sound room, each once. The player sets its sink when it takes the channel.
    Diagnostics& diagnostics() { return diagnostics_; }
    // What a script's Sound object asks of an event sound. Ids are never 0 and never reused.
    //
    // Starts sound `offsetSeconds` in, playing it `loops` times (at least once), with the given
    // transform. Returns 0 when there is nothing to play (no sound, an offset past its end).
    // whenEnded, if given, is called on this thread once the sound has stopped; ranOut is true
    // when it played to its end.
    uint64_t playSound(const SoundCharacter* sound, double offsetSeconds, int loops,
                       const ChannelTransform& transform = {}, std::function<void(bool ranOut)> whenEnded = {});
    // Stops the sound started under id; unknown and ended ids are ignored.
    void stopSound(uint64_t id);
    void setSoundTransform(uint64_t id, const ChannelTransform& transform);
    // Seconds into the sound (in its current loop) being rendered now; nullopt once it ended.
    std::optional<double> soundPosition(uint64_t id) const;

private:
    struct Stream {
        std::shared_ptr<StreamSound> voice;
    };

    void startSoundFrom(const Clip* clip, const StartSound& tag, const SoundCharacter* sound);
    uint64_t playShared(std::shared_ptr<const SoundCharacter> sound, double offsetSeconds, int loops,
                        const ChannelTransform& transform, std::function<void(bool ranOut)> whenEnded);
    // Ties voice to clip, whose volume it is heard through from now on.
    void own(const Voice* voice, const Clip& clip);
    // Forgets the owners of voices this channel no longer plays.
    void pruneOwners();

    std::shared_ptr<const StreamTrack> trackFor(const Timeline& timeline, double frameRate);
    void dropFinishedEvents();

    // The sound as a pointer that keeps owner_ alive.
    std::shared_ptr<const SoundCharacter> held(const SoundCharacter* sound) const;
    // Adds an event voice, making room under kMaxEventSounds first.
    void addEvent(std::shared_ptr<EventSound> voice);

    Mixer& mixer_;
    const std::shared_ptr<const void> owner_;
    std::map<const Timeline*, std::shared_ptr<const StreamTrack>> tracks_;
    std::map<const void*, Stream> streams_;
    std::vector<std::shared_ptr<EventSound>> events_;
    Diagnostics diagnostics_{DiagnosticRoom::Sound};
    std::map<uint64_t, std::shared_ptr<EventSound>> scripted_;
    // The clip each voice belongs to, for those started by a clip (its volume applies).
    std::map<const Voice*, ClipHandle> owners_;
    uint64_t nextId_ = 1;
};

}  // namespace velmora::swf
