#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "swf/sound/adpcm_tables.h"
#include "swf/sound/codec_stage.h"

namespace velmora::swf {

namespace {

// A most-significant-bit-first reader that answers 0 past the end rather than reading on.
class BitReader {
public:
    void reset(std::span<const uint8_t> bytes) {
        bytes_ = bytes;
        bit_ = 0;
    }
    size_t bitsLeft() const { return bytes_.size() * 8 - bit_; }
    uint32_t read(int count) {
        uint32_t v = 0;
        for (int i = 0; i < count; ++i) {
            v <<= 1;
            if (bit_ < bytes_.size() * 8) v |= (bytes_[bit_ >> 3] >> (7 - (bit_ & 7))) & 1;
            ++bit_;
        }
        return v;
    }

private:
    std::span<const uint8_t> bytes_;
    size_t bit_ = 0;
};

// SWF ADPCM: a chunk begins with the code size (2 bits, 2..5), then packets of 4096 samples a
// channel: a 16-bit initial sample and a 6-bit step index per channel, then 4095 codes per
// channel, interleaved. The last packet may be short; a chunk cut inside a code ends there.
class AdpcmStage final : public CodecStage {
public:
    explicit AdpcmStage(const SoundFormatInfo& format)
        : rate_(effectiveSampleRate(format)), channels_(format.stereo ? 2 : 1) {}

    void begin(std::span<const uint8_t> chunk) override {
        bits_.reset(chunk);
        codeBits_ = chunk.empty() ? 0 : int(bits_.read(2)) + 2;
    }

    bool step(Resampler& resampler, std::vector<int16_t>& out) override {
        if (codeBits_ == 0 || bits_.bitsLeft() < size_t(22 * channels_)) {
            codeBits_ = 0;
            return false;
        }
        samples_.clear();
        for (int c = 0; c < channels_; ++c) {
            predictor_[c] = int16_t(bits_.read(16));
            index_[c] = int(bits_.read(6));
            index_[c] = std::min(index_[c], 88);
            samples_.push_back(int16_t(predictor_[c]));
        }
        const int8_t* indexTable = kAdpcmIndexMoves[codeBits_ - 2];
        const uint32_t signBit = 1u << (codeBits_ - 1);
        for (int n = 1; n < kSamplesPerPacket && bits_.bitsLeft() >= size_t(codeBits_ * channels_); ++n) {
            for (int c = 0; c < channels_; ++c) {
                const uint32_t code = bits_.read(codeBits_);
                int step = kAdpcmStepSizes[index_[c]];
                // diff = (magnitude + 1/2) * step / 2^(bits-2), built bit by bit as the encoder did.
                int diff = 0;
                for (uint32_t bit = signBit >> 1; bit != 0; bit >>= 1) {
                    if (code & bit) diff += step;
                    step >>= 1;
                }
                diff += step;
                int value = predictor_[c] + ((code & signBit) ? -diff : diff);
                predictor_[c] = std::clamp(value, -32768, 32767);
                index_[c] = std::clamp(index_[c] + indexTable[code & (signBit - 1)], 0, 88);
                samples_.push_back(int16_t(predictor_[c]));
            }
        }
        const uint8_t* plane = reinterpret_cast<const uint8_t*>(samples_.data());
        resampler.convert(&plane, int(samples_.size() / channels_), rate_, channels_, AV_SAMPLE_FMT_S16, out);
        return true;
    }

private:
    static constexpr int kSamplesPerPacket = 4096;
    const int rate_;
    const int channels_;
    BitReader bits_;
    int codeBits_ = 0;
    int predictor_[2] = {0, 0};
    int index_[2] = {0, 0};
    std::vector<int16_t> samples_;
};

}  // namespace

std::unique_ptr<CodecStage> makeAdpcmStage(const SoundFormatInfo& format) {
    return std::make_unique<AdpcmStage>(format);
}

}  // namespace velmora::swf
