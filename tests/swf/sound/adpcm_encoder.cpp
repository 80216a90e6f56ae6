#include "adpcm_encoder.h"

#include <algorithm>
#include <cstdlib>

#include "swf/sound/adpcm_tables.h"

namespace velmora::test {

namespace {

struct Bits {
    std::vector<uint8_t> out;
    int used = 8;
    void put(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (used == 8) out.push_back(0), used = 0;
            if ((value >> i) & 1) out.back() |= uint8_t(0x80 >> used);
            ++used;
        }
    }
};

}  // namespace

std::vector<uint8_t> encodeSwfAdpcm(const std::vector<int16_t>& samples, int channels, int codeBits) {
    Bits bits;
    bits.put(uint32_t(codeBits - 2), 2);
    const size_t frames = samples.size() / size_t(channels);
    int predictor[2] = {0, 0};
    int index[2] = {0, 0};
    const int sign = 1 << (codeBits - 1);
    for (size_t f = 0; f < frames; ++f) {
        const bool packetStart = f % 4096 == 0;
        for (int c = 0; c < channels; ++c) {
            const int sample = samples[f * size_t(channels) + size_t(c)];
            if (packetStart) {
                // The packet header has six bits for the step index.
                index[c] = std::min(index[c], 63);
                predictor[c] = sample;
                bits.put(uint16_t(int16_t(sample)), 16);
                bits.put(uint32_t(index[c]), 6);
                continue;
            }
            int diff = sample - predictor[c];
            int code = 0;
            if (diff < 0) code = sign, diff = -diff;
            int step = swf::kAdpcmStepSizes[index[c]];
            int rebuilt = 0;
            for (int bit = sign >> 1; bit != 0; bit >>= 1) {
                if (diff >= step) {
                    code |= bit;
                    diff -= step;
                    rebuilt += step;
                }
                step >>= 1;
            }
            rebuilt += step;
            predictor[c] = std::clamp(predictor[c] + ((code & sign) ? -rebuilt : rebuilt), -32768, 32767);
            index[c] = std::clamp(index[c] + swf::kAdpcmIndexMoves[codeBits - 2][code & (sign - 1)], 0, 88);
            bits.put(uint32_t(code), codeBits);
        }
    }
    return bits.out;
}

}  // namespace velmora::test
