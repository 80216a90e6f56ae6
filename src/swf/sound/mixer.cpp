#include "swf/sound/mixer.h"

#include <algorithm>

#include "swf/sound/output_format.h"

namespace velmora::swf {

void Mixer::add(std::shared_ptr<Voice> voice) {
    if (voice) voices_.push_back(std::move(voice));
}

void Mixer::remove(const Voice* voice) {
    std::erase_if(voices_, [voice](const std::shared_ptr<Voice>& v) { return v.get() == voice; });
}

void Mixer::render(int16_t* out, size_t frames) {
    constexpr size_t kSlice = 4096;
    while (frames > 0) {
        const size_t n = std::min(frames, kSlice);
        sum_.assign(n * kOutputChannels, 0);
        // Several voices add up past 16 bits; 32-bit sums are clipped once, at the end.
        for (size_t i = 0; i < voices_.size();) {
            if (voices_[i]->mixInto(sum_.data(), n)) {
                ++i;
            } else {
                voices_.erase(voices_.begin() + ptrdiff_t(i));
            }
        }
        for (size_t i = 0; i < sum_.size(); ++i) out[i] = int16_t(std::clamp<int32_t>(sum_[i], -32768, 32767));
        out += n * kOutputChannels;
        frames -= n;
        rendered_ += int64_t(n);
    }
}

}  // namespace velmora::swf
