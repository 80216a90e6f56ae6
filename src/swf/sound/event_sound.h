#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/format/sound.h"
#include "swf/sound/audio_decoder.h"
#include "swf/sound/voice.h"

namespace velmora::swf {

// One playing of a DefineSound as StartSound asked for it: from its in point to its out point
// (or its end), as many times as its loop count, shaped by its envelope. Decodes as it plays, on
// the audio side, a fresh decoder per loop, so a long or looping sound costs no more memory than
// a short one.
//
// Positions (in point, out point, envelope) are output frames counted from the sound's first
// sample after the MP3 seek samples, which is the "44 kHz samples" the file speaks of.
class EventSound final : public Voice {
public:
    // Holds sound for as long as it plays: the pointer should share ownership of the movie the
    // sound belongs to, so that the voice can outlive the movie on the audio thread.
    EventSound(std::shared_ptr<const SoundCharacter> sound, const SoundInfo& info);

    bool mixInto(int32_t* mix, size_t frames) override;
    void decodeAhead(size_t frames) override;

    const SoundCharacter& sound() const { return *sound_; }
    // Either thread: true once the sound has played out (or cannot be decoded).
    bool finished() const { return finishedFlag_.load(std::memory_order_acquire); }
    // Either thread: the position within the sound (output frames from its start) of the next
    // frame to be rendered, in the current loop.
    int64_t renderPosition() const { return published_.load(std::memory_order_acquire); }

private:
    // Starts a loop: a new decoder, positioned at the in point. False when it cannot be decoded.
    bool startLoop();
    // The envelope's gain (0..1) for each side at output position `position`.
    void gainAt(double position, float& left, float& right) const;
    void finish();

    const std::shared_ptr<const SoundCharacter> sound_;
    const SoundInfo info_;
    // Audio side.
    std::unique_ptr<AudioDecoder> decoder_;
    int64_t position_ = 0;    // position of the next frame within the sound
    int64_t end_ = 0;         // out point, or the largest value when there is none
    int64_t leadIn_ = 0;      // MP3 seek samples, on the output clock
    uint32_t loopsLeft_ = 0;
    bool started_ = false;
    bool heardThisLoop_ = false;
    bool finished_ = false;
    std::string problem_;
    std::vector<int16_t> scratch_;
    // What the control side reads.
    std::atomic<int64_t> published_{0};
    std::atomic<bool> finishedFlag_{false};
};

}  // namespace velmora::swf
