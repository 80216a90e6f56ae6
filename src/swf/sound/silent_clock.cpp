#include "swf/sound/silent_clock.h"

#include <algorithm>
#include <cmath>

#include "swf/sound/output_format.h"

namespace velmora::swf {

SilentClock::SilentClock(Mixer& mixer, TimeSource now, std::string reason, double leadSeconds)
    : mixer_(mixer),
      now_(std::move(now)),
      reason_(std::move(reason)),
      lead_(std::isfinite(leadSeconds) ? std::clamp<int64_t>(outputFrames(leadSeconds), 0, kOutputRate) : 0) {
    if (!now_) {
        now_ = [] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        };
    }
    origin_ = now_();
}

std::chrono::milliseconds SilentClock::period() const {
    const int64_t spareMs = lead_ * 1000 / kOutputRate - 150;
    return std::chrono::milliseconds(std::clamp<int64_t>(spareMs, 100, 200));
}

void SilentClock::resume() {
    // Time spent asleep is not owed: the clock goes on from what it had rendered, which has all
    // been heard by now.
    const double now = now_();
    if (std::isfinite(now)) origin_ = now - double(consumed_) / kOutputRate;
}

void SilentClock::service() {
    const double now = now_();
    if (!std::isfinite(now)) return;
    // Rounded, not floored: times like 100.1 - 100 fall a hair short in binary.
    int64_t heard = int64_t(std::llround((now - origin_) * kOutputRate));
    const int64_t cap = int64_t(kMaxCatchUpSeconds * kOutputRate);
    if (heard - consumed_ > cap) {
        // Resume from here: render one slice now and count the rest of the gap as never owed.
        heard = consumed_ + cap;
        origin_ = now - double(heard) / kOutputRate;
    } else if (heard + lead_ < consumed_) {
        // The time source went backwards: nothing more is due until it catches up.
        heard = consumed_ - lead_;
        origin_ = now - double(heard) / kOutputRate;
    }
    const int64_t due = heard + lead_ - consumed_;
    constexpr int64_t kSlice = 4096;
    if (tap_ && heard > consumed_) {
        scratch_.assign(size_t(heard - consumed_) * kOutputChannels, 0);
        tap_(scratch_.data(), size_t(heard - consumed_));
    }
    scratch_.resize(size_t(kSlice) * kOutputChannels);
    for (int64_t left = due; left > 0;) {
        const int64_t n = std::min(left, kSlice);
        mixer_.render(scratch_.data(), size_t(n));
        if (tap_) tap_(scratch_.data(), size_t(n));
        left -= n;
    }
    consumed_ += std::max<int64_t>(due, 0);
    mixer_.setUnheardFrames(consumed_ - heard, std::chrono::steady_clock::now());
}

}  // namespace velmora::swf
