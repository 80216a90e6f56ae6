#include "mp3_frames.h"

namespace velmora::lessons {
namespace {

// Bit rates of layer III in kbit/s by [MPEG 1 or not][index].
constexpr uint16_t kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};
constexpr uint32_t kRates[3] = {44100, 48000, 32000};

bool readFrame(std::span<const uint8_t> b, size_t at, Mp3Frame& frame) {
    if (at + 4 > b.size() || b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) return false;
    const int versionBits = (b[at + 1] >> 3) & 3;  // 3: MPEG 1, 2: MPEG 2, 0: MPEG 2.5
    const int layerBits = (b[at + 1] >> 1) & 3;     // 1: layer III
    if (versionBits == 1 || layerBits != 1) return false;
    const int bitrateIndex = b[at + 2] >> 4;
    const int rateIndex = (b[at + 2] >> 2) & 3;
    if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    const bool mpeg1 = versionBits == 3;
    const uint32_t rate = kRates[rateIndex] / (mpeg1 ? 1 : versionBits == 2 ? 2 : 4);
    const uint32_t bitrate = kBitrates[mpeg1 ? 0 : 1][bitrateIndex] * 1000u;
    const uint32_t samples = mpeg1 ? 1152 : 576;
    const uint32_t padding = (b[at + 2] >> 1) & 1;
    frame.offset = at;
    frame.length = samples / 8 * bitrate / rate + padding;
    frame.samples = samples;
    frame.sampleRate = rate;
    frame.stereo = (b[at + 3] >> 6) != 3;
    return frame.length > 4 && at + frame.length <= b.size();
}

}  // namespace

std::vector<Mp3Frame> splitMp3Frames(std::span<const uint8_t> bytes) {
    size_t at = 0;
    if (bytes.size() >= 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3') {
        const size_t size = (size_t(bytes[6] & 0x7F) << 21) | (size_t(bytes[7] & 0x7F) << 14) |
                            (size_t(bytes[8] & 0x7F) << 7) | size_t(bytes[9] & 0x7F);
        at = 10 + size;
    }
    std::vector<Mp3Frame> frames;
    while (at + 4 <= bytes.size()) {
        Mp3Frame frame;
        if (readFrame(bytes, at, frame)) {
            frames.push_back(frame);
            at += frame.length;
        } else {
            ++at;
        }
    }
    return frames;
}

}  // namespace velmora::lessons
