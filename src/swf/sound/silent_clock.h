#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "swf/sound/audio_output.h"
#include "swf/sound/mixer.h"

namespace velmora::swf {

// The output of a machine without a sound device: each service() renders, and throws away,
// exactly the frames that the elapsed time calls for, so the mixer's clock runs in real time.
// The time source can be replaced, which is how tests run a ten-minute sound in a second.
class SilentClock final : public AudioOutput {
public:
    // Seconds from any fixed origin; monotonic.
    using TimeSource = std::function<double()>;

    // Longest stretch rendered by one service(): after a longer stall (a suspended machine) the
    // clock resumes from where it was, as a device would, instead of racing through the gap.
    static constexpr double kMaxCatchUpSeconds = 0.25;

    // mixer must outlive the clock. Without a time source, the system's steady clock is used.
    explicit SilentClock(Mixer& mixer, TimeSource now = {}, std::string reason = "no sound device");

    void service() override;
    bool audible() const override { return false; }
    std::string description() const override { return "silent clock: " + reason_; }

private:
    Mixer& mixer_;
    TimeSource now_;
    const std::string reason_;
    double origin_ = 0;       // the time at which `due` frames were zero
    int64_t consumed_ = 0;    // frames rendered since origin_
    std::vector<int16_t> scratch_;
};

}  // namespace velmora::swf
