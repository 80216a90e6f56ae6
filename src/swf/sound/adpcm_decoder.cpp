#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "swf/sound/codec_stage.h"

namespace velmora::swf {

namespace {

// IMA step sizes, shared by every ADPCM variant.
constexpr int16_t kStepSizes[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How the step index moves for each code magnitude, by code size.
constexpr int8_t kIndex2[2] = {-1, 2};
constexpr int8_t kIndex3[4] = {-1, -1, 2, 4};
constexpr int8_t kIndex4[8] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int8_t kIndex5[16] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int8_t* kIndexTables[4] = {kIndex2, kIndex3, kIndex4, kIndex5};

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
        const int8_t* indexTable = kIndexTables[codeBits_ - 2];
        const uint32_t signBit = 1u << (codeBits_ - 1);
        for (int n = 1; n < kSamplesPerPacket && bits_.bitsLeft() >= size_t(codeBits_ * channels_); ++n) {
            for (int c = 0; c < channels_; ++c) {
                const uint32_t code = bits_.read(codeBits_);
                int step = kStepSizes[index_[c]];
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
