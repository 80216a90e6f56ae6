#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "swf/sound/voice.h"

namespace velmora::swf {

// The one place where sounds meet: every voice of every movie is summed here, clipped to 16 bits,
// and handed to the output (a device, the silent clock, or a WAV file). One mixer serves both
// players. It also keeps the output clock: how many frames it has rendered, and how many of those
// the output still holds unheard, so that the channels can tell which sample is heard now.
//
// Single-threaded: render() is called on the thread that adds and removes voices.
class Mixer {
public:
    Mixer() = default;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // A stopped voice fades out over this many frames (5 ms) instead of being cut off mid-wave,
    // which would click.
    static constexpr size_t kFadeOutFrames = 220;

    void add(std::shared_ptr<Voice> voice);
    // Stops voice at once; unknown voices are ignored.
    void remove(const Voice* voice);
    // Stops voice with a short fade. Only for voices whose data the mixer's shared pointer keeps
    // alive by itself (a stream's blocks are shared; an event sound's data belongs to its movie).
    void fadeOut(const Voice* voice);
    // Voices playing, fading ones included.
    size_t voiceCount() const { return voices_.size() + fading_.size(); }

    // Renders the next `frames` frames (interleaved stereo) into out; silence when nothing plays.
    // Voices that run out are dropped.
    void render(int16_t* out, size_t frames);
    // Frames rendered since the mixer was made.
    int64_t renderedFrames() const { return rendered_; }

    // Set by the output after each render: frames rendered but not yet heard (in its buffers).
    void setUnheardFrames(int64_t frames) { unheard_ = frames < 0 ? 0 : frames; }
    int64_t unheardFrames() const { return unheard_; }

private:
    struct Fading {
        std::shared_ptr<Voice> voice;
        size_t left = 0;  // frames of the fade still to play
    };

    std::vector<std::shared_ptr<Voice>> voices_;
    std::vector<Fading> fading_;
    std::vector<int32_t> fadeScratch_;
    std::vector<int32_t> sum_;
    int64_t rendered_ = 0;
    int64_t unheard_ = 0;
};

}  // namespace velmora::swf
