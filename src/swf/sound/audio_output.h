#pragma once

#include <string>

namespace velmora::swf {

// Where the mix goes and what keeps time: a sound device, or, on a machine without one, a silent
// clock that consumes the mix in real time, so that a movie plays, and its timelines follow their
// sound, the same way with or without speakers.
//
// An output pulls from one Mixer and tells it, after each pull, how many rendered frames it still
// holds unheard, so that the picture follows what is heard rather than what is queued.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Brings the output up to now: renders from the mixer what the device (or the clock) is
    // ready to take. Call it often, at least every 20 ms, from the thread that owns the mixer.
    virtual void service() = 0;
    // Whether sound really comes out.
    virtual bool audible() const = 0;
    // For a status line or the probe: what the output is ("PulseAudio: Built-in Audio", "silent
    // clock: no sound device").
    virtual std::string description() const = 0;
};

}  // namespace velmora::swf
