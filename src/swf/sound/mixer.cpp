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

void Mixer::fadeOut(const Voice* voice) {
    auto it = std::find_if(voices_.begin(), voices_.end(), [voice](const auto& v) { return v.get() == voice; });
    if (it == voices_.end()) return;
    fading_.push_back({std::move(*it), kFadeOutFrames});
    voices_.erase(it);
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
        for (size_t f = 0; f < fading_.size();) {
            Fading& fade = fading_[f];
            const size_t m = std::min(n, fade.left);
            fadeScratch_.assign(m * kOutputChannels, 0);
            const bool more = fade.voice->mixInto(fadeScratch_.data(), m);
            for (size_t i = 0; i < m; ++i) {
                const double gain = double(fade.left - i) / double(kFadeOutFrames + 1);
                sum_[2 * i] += int32_t(fadeScratch_[2 * i] * gain);
                sum_[2 * i + 1] += int32_t(fadeScratch_[2 * i + 1] * gain);
            }
            fade.left -= m;
            if (!more || fade.left == 0) {
                fading_.erase(fading_.begin() + ptrdiff_t(f));
            } else {
                ++f;
            }
        }
        for (size_t i = 0; i < sum_.size(); ++i) out[i] = int16_t(std::clamp<int32_t>(sum_[i], -32768, 32767));
        out += n * kOutputChannels;
        frames -= n;
        rendered_ += int64_t(n);
    }
}

}  // namespace velmora::swf
