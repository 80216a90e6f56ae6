#include "swf/sound/resampler.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include "swf/sound/output_format.h"

namespace velmora::swf {

Resampler::Resampler() = default;

Resampler::~Resampler() { reset(); }

void Resampler::reset() {
    swr_free(&swr_);
    rate_ = 0;
    channels_ = 0;
    format_ = -1;
}

void Resampler::convert(const uint8_t* const* planes, int frames, int rate, int channels, int format,
                        std::vector<int16_t>& out) {
    if (frames <= 0 || rate < 1 || rate > 384000 || channels < 1 || channels > 8) return;
    if (swr_ == nullptr || rate != rate_ || channels != channels_ || format != format_) {
        if (swr_ != nullptr) flush(out);
        AVChannelLayout inLayout;
        av_channel_layout_default(&inLayout, channels);
        AVChannelLayout outLayout = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(&swr_, &outLayout, AV_SAMPLE_FMT_S16, kOutputRate, &inLayout,
                                AVSampleFormat(format), rate, 0, nullptr) < 0) {
            reset();
            return;
        }
        if (channels == 1) {
            // A mono sound plays at full level on both sides, as it was recorded; libswresample's
            // default would lower a centre channel by 3 dB.
            const double matrix[2] = {1.0, 1.0};
            swr_set_matrix(swr_, matrix, 1);
        }
        if (swr_init(swr_) < 0) {
            reset();
            return;
        }
        rate_ = rate;
        channels_ = channels;
        format_ = format;
    }
    const int capacity = swr_get_out_samples(swr_, frames);
    if (capacity <= 0) return;
    const size_t old = out.size();
    out.resize(old + size_t(capacity) * kOutputChannels);
    uint8_t* dst = reinterpret_cast<uint8_t*>(out.data() + old);
    const int got = swr_convert(swr_, &dst, capacity, const_cast<const uint8_t**>(planes), frames);
    out.resize(old + size_t(std::max(got, 0)) * kOutputChannels);
}

void Resampler::flush(std::vector<int16_t>& out) {
    if (swr_ != nullptr) {
        const int capacity = swr_get_out_samples(swr_, 0);
        if (capacity > 0) {
            const size_t old = out.size();
            out.resize(old + size_t(capacity) * kOutputChannels);
            uint8_t* dst = reinterpret_cast<uint8_t*>(out.data() + old);
            const int got = swr_convert(swr_, &dst, capacity, nullptr, 0);
            out.resize(old + size_t(std::max(got, 0)) * kOutputChannels);
        }
    }
    reset();
}

}  // namespace velmora::swf
