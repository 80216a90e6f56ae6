#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "swf/sound/codec_stage.h"

namespace velmora::swf {

namespace {

// PCM needs no decoding beyond widening 8-bit samples; the stage only cuts the chunk into
// pieces so that a huge sound is resampled a little at a time.
class PcmStage final : public CodecStage {
public:
    explicit PcmStage(const SoundFormatInfo& format)
        : rate_(effectiveSampleRate(format)), channels_(format.stereo ? 2 : 1),
          bytesPerFrame_((format.is16Bit ? 2 : 1) * channels_), sixteenBit_(format.is16Bit) {}

    void begin(std::span<const uint8_t> chunk) override { rest_ = chunk; }

    bool step(Resampler& resampler, std::vector<int16_t>& out) override {
        const size_t frames = std::min(rest_.size() / bytesPerFrame_, kFramesPerStep);
        if (frames == 0) {
            rest_ = {};  // a trailing half sample is dropped
            return false;
        }
        samples_.resize(frames * channels_);
        const uint8_t* p = rest_.data();
        for (size_t i = 0; i < samples_.size(); ++i) {
            // Every SWF encoder writes 16-bit samples little-endian, "native" ones included;
            // 8-bit samples are unsigned around 128.
            samples_[i] = sixteenBit_ ? int16_t(uint16_t(p[2 * i] | p[2 * i + 1] << 8))
                                      : int16_t((int(p[i]) - 128) * 256);
        }
        rest_ = rest_.subspan(frames * bytesPerFrame_);
        const uint8_t* plane = reinterpret_cast<const uint8_t*>(samples_.data());
        resampler.convert(&plane, int(frames), rate_, channels_, AV_SAMPLE_FMT_S16, out);
        return true;
    }

private:
    static constexpr size_t kFramesPerStep = 8192;
    const int rate_;
    const int channels_;
    const size_t bytesPerFrame_;
    const bool sixteenBit_;
    std::span<const uint8_t> rest_;
    std::vector<int16_t> samples_;
};

}  // namespace

std::unique_ptr<CodecStage> makePcmStage(const SoundFormatInfo& format) {
    return std::make_unique<PcmStage>(format);
}

}  // namespace velmora::swf
