#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "swf/format/diagnostics.h"
#include "swf/format/timeline.h"
#include "swf/runtime/sound_events.h"
#include "swf/sound/mixer.h"

namespace velmora::swf {

class StreamSound;
class StreamTrack;
class EventSound;

// The sound of one playing movie: the SoundEvents its timelines call, played through the shared
// mixer. Keeps one stream per clip that has one, and the movie's event sounds.
//
// Lifetime: the channel must not outlive the mixer, nor the movie whose timelines and sound
// characters it is handed (the player drops the channel with the movie). Destroying the channel
// silences everything it started.
class SoundChannel final : public SoundEvents {
public:
    // Event sounds playing at once in one movie; the oldest gives way to a new one beyond this, so
    // a movie that starts a sound every frame cannot pile up voices.
    static constexpr size_t kMaxEventSounds = 32;

    explicit SoundChannel(Mixer& mixer);
    ~SoundChannel() override;
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // SoundEvents, for the runtime's clips.
    void streamPlay(const Clip& clip, size_t frame) override;
    void streamStop(const Clip& clip) override;
    std::optional<double> streamPosition(const Clip& clip) const override;
    void startSound(const StartSound& tag, const SoundCharacter* sound) override;
    void stopAllSounds() override;

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

private:
    struct Stream {
        std::shared_ptr<StreamSound> voice;
        int64_t startRendered = 0;  // the mixer's count when the stream started
        double startPosition = 0;   // the track position it started at
    };

    std::shared_ptr<const StreamTrack> trackFor(const Timeline& timeline, double frameRate);
    void dropFinishedEvents();

    Mixer& mixer_;
    std::map<const Timeline*, std::shared_ptr<const StreamTrack>> tracks_;
    std::map<const void*, Stream> streams_;
    std::vector<std::shared_ptr<EventSound>> events_;
    Diagnostics diagnostics_{DiagnosticRoom::Sound};
};

}  // namespace velmora::swf
