#include "swf/sound/silent_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "swf/sound/output_format.h"

namespace velmora::swf {

SilentClock::SilentClock(Mixer& mixer, TimeSource now, std::string reason)
    : mixer_(mixer), now_(std::move(now)), reason_(std::move(reason)) {
    if (!now_) {
        now_ = [] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        };
    }
    origin_ = now_();
}

void SilentClock::service() {
    const double now = now_();
    if (!std::isfinite(now)) return;
    // Rounded, not floored: times like 100.1 - 100 fall a hair short in binary.
    int64_t due = int64_t(std::llround((now - origin_) * kOutputRate)) - consumed_;
    if (due <= 0) return;
    const int64_t cap = int64_t(kMaxCatchUpSeconds * kOutputRate);
    if (due > cap) {
        // Resume from here: render one slice now and count the rest of the gap as never owed.
        due = cap;
        origin_ = now - double(cap) / kOutputRate;
        consumed_ = 0;
    }
    constexpr int64_t kSlice = 4096;
    scratch_.resize(size_t(kSlice) * kOutputChannels);
    for (int64_t left = due; left > 0;) {
        const int64_t n = std::min(left, kSlice);
        mixer_.render(scratch_.data(), size_t(n));
        left -= n;
    }
    consumed_ += due;
    mixer_.setUnheardFrames(0);
}

}  // namespace velmora::swf
