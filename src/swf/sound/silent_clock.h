#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "swf/sound/audio_output.h"
#include "swf/sound/mixer.h"

namespace velmora::swf {

// The output of a machine without a sound device: each service() renders, and throws away, the
// frames that the elapsed time calls for plus a fixed lead, so the mixer's clock runs in real
// time. Like a device's buffer, the lead lets the clock move smoothly between services: readers
// count the time since the last one as heard. It sleeps while nothing plays and resumes where it
// was, as a device would. The time source can be replaced, which is how tests run a ten-minute
// sound in a second.
class SilentClock final : public AudioOutput {
public:
    // Seconds from any fixed origin; monotonic.
    using TimeSource = std::function<double()>;
    // Sees, on the audio thread, every frame a device in the clock's place would play
    // (interleaved stereo): what the clock renders, preceded by silence wherever a service came
    // too late to have that stretch rendered before its time (a device would have run dry
    // there). A virtual device for tests that listen to what a player sends out.
    using Tap = std::function<void(const int16_t* samples, size_t frames)>;

    // Longest stretch rendered by one service(): after a longer stall (a suspended machine) the
    // clock resumes from where it was, as a device would, instead of racing through the gap.
    static constexpr double kMaxCatchUpSeconds = 0.25;
    // The lead the player's audio thread gives the clock. Nothing is heard, and readers see the
    // time move smoothly between services, so the clock is serviced only five times a second (see
    // period()): a laptop without sound pays for little more than the frames.
    static constexpr double kPlayerLeadSeconds = 0.4;

    // mixer must outlive the clock. Without a time source, the system's steady clock is used.
    // leadSeconds is rendered ahead of the time (0: exactly the elapsed time).
    explicit SilentClock(Mixer& mixer, TimeSource now = {}, std::string reason = "no sound device",
                         double leadSeconds = 0);

    void setTap(Tap tap) { tap_ = std::move(tap); }

    void service() override;
    // Every 100 ms; less often, down to every 200 ms, where the lead leaves more than 150 ms to
    // spare after a period, so that a service may come that late before the clock runs dry.
    std::chrono::milliseconds period() const override;
    bool sleepsWhenIdle() const override { return true; }
    void resume() override;
    bool audible() const override { return false; }
    std::string description() const override { return "silent clock: " + reason_; }

private:
    Mixer& mixer_;
    TimeSource now_;
    const std::string reason_;
    const int64_t lead_;
    double origin_ = 0;       // the time at which `due` frames were zero
    int64_t consumed_ = 0;    // frames rendered since origin_
    Tap tap_;
    std::vector<int16_t> scratch_;
};

}  // namespace velmora::swf
