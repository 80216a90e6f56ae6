#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace velmora::swf {

// One sound the mixer is playing: a timeline's stream or an event sound.
//
// Threads: a voice is made on the thread that owns the movies (the control side) and handed to
// the mixer, which plays it on the audio thread. From then on only the audio thread calls
// mixInto() and decodeAhead(); the control side reads what the voice publishes through atomics
// (startedAt(), ended(), and what subclasses add) and never touches its decoder.
class Voice {
public:
    virtual ~Voice() = default;

    // Adds the voice's next `frames` output frames (interleaved stereo) onto mix. Returns false
    // once the voice has nothing more to play; the mixer then lets it go. A voice that runs out
    // part-way adds what it has; the rest of its share is silence.
    virtual bool mixInto(int32_t* mix, size_t frames) = 0;
    // Decodes until at least `frames` output frames lie ready for mixInto(), or the sound ends, so
    // that the mix itself is cheap. Called by the audio thread when the device is fed.
    virtual void decodeAhead(size_t frames) { (void)frames; }

    // The mixer's count of rendered frames at the moment the voice began to play; -1 until the
    // audio thread has taken it up.
    int64_t startedAt() const { return startedAt_.load(std::memory_order_acquire); }
    // True once the mixer has let the voice go: it ran out, or was removed or faded out.
    bool ended() const { return ended_.load(std::memory_order_acquire); }

    // Set on the control side before the voice is added; called on the control side, from
    // Mixer::collectEnded(), once the mixer has let the voice go. ranOut tells a sound that
    // played to its end (a completion) from one that was stopped.
    std::function<void(bool ranOut)> whenEnded;

private:
    friend class Mixer;
    std::atomic<int64_t> startedAt_{-1};
    std::atomic<bool> ended_{false};
};

}  // namespace velmora::swf
