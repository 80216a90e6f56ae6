#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/format/movie.h"
#include "swf/runtime/movie_instance.h"
#include "swf/sound/mixer.h"
#include "swf/sound/sound_channel.h"

namespace velmora::swf {

// A movie played with its sound on a virtual clock, as fast as the machine goes: each step
// renders the step's sound from the mixer, as a device would take it, then moves the movie on by
// the same time, so that its timelines follow their sound exactly as in the player. This is how
// the probe writes a movie's sound to a file and how tests hear a movie.
class VirtualPlayback {
public:
    // Clock steps by default: 10 ms, well under any frame's time, like a sound device's period.
    static constexpr size_t kStepFrames = 441;

    // Starts the movie (its first frame is entered and its streams start). options.sound is set
    // to this playback's channel. stepFrames (at least 1) is the clock's step in output frames.
    explicit VirtualPlayback(std::shared_ptr<const Movie> movie, MovieInstance::Options options = {},
                             size_t stepFrames = kStepFrames);
    ~VirtualPlayback();

    MovieInstance& instance() { return *instance_; }
    Mixer& mixer() { return mixer_; }
    SoundChannel& channel() { return channel_; }

    // Plays `frames` output frames' worth of time (rounded up to whole steps). Appends the sound to
    // out when it is not null.
    void run(int64_t frames, std::vector<int16_t>* out);
    // Output frames played so far.
    int64_t elapsed() const { return mixer_.renderedFrames(); }

    // True once the root timeline has shown its last frame (or stopped) and no sound is playing:
    // the movie's sound has ended.
    bool soundEnded() const;

private:
    void noteRootProgress();

    Mixer mixer_;
    SoundChannel channel_;
    std::unique_ptr<MovieInstance> instance_;
    const size_t stepFrames_;
    bool rootFinished_ = false;
    std::vector<int16_t> step_;
};

}  // namespace velmora::swf
