#include "adpcm_encoder.h"

#include <algorithm>
#include <cstdlib>

namespace velmora::test {

namespace {

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const std::vector<std::vector<int>> kIndexMoves = {
    {-1, 2}, {-1, -1, 2, 4}, {-1, -1, -1, -1, 2, 4, 6, 8}, {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16}};

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
            int step = kSteps[index[c]];
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
            index[c] = std::clamp(index[c] + kIndexMoves[size_t(codeBits - 2)][size_t(code & (sign - 1))], 0, 88);
            bits.put(uint32_t(code), codeBits);
        }
    }
    return bits.out;
}

}  // namespace velmora::test
