#pragma once

#include <chrono>
#include <string>

namespace velmora::swf {

// Where the mix goes and what keeps time: a sound device, or, on a machine without one, a silent
// clock that consumes the mix in real time, so that a movie plays, and its timelines follow their
// sound, the same way with or without speakers.
//
// An output pulls from one Mixer and tells it, after each pull, how many rendered frames it still
// holds unheard, so that the picture follows what is heard rather than what is queued. Everything
// here runs on the audio thread, which owns the output.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Brings the output up to now: renders from the mixer what the device (or the clock) is
    // ready to take. Call it every period().
    virtual void service() = 0;
    // How often service() wants calling while anything plays.
    virtual std::chrono::milliseconds period() const = 0;
    // Whether the output may go without service() while the mixer is idle. If so, resume() is
    // called before the first service() after such a pause.
    virtual bool sleepsWhenIdle() const { return false; }
    virtual void resume() {}
    // Whether sound really comes out.
    virtual bool audible() const = 0;
    // For a status line or the probe: what the output is ("PulseAudio: Built-in Audio", "silent
    // clock: no sound device").
    virtual std::string description() const = 0;
};

}  // namespace velmora::swf
