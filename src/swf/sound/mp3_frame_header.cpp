#include "swf/sound/mp3_frame_header.h"

namespace velmora::swf {

namespace {

// kbit/s by bit-rate index, layer III.
constexpr int kMpeg1Rates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kMpeg2Rates[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kSampleRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

}  // namespace

std::optional<Mp3FrameHeader> parseMp3FrameHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4) return std::nullopt;
    const uint32_t h = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    if ((h >> 21) != 0x7ff) return std::nullopt;
    const int version = (h >> 19) & 3;  // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layer = (h >> 17) & 3;    // 1: layer III
    const int rateIndex = (h >> 12) & 15;
    const int srIndex = (h >> 10) & 3;
    if (version == 1 || layer != 1 || srIndex == 3) return std::nullopt;
    const bool mpeg1 = version == 3;
    const int kbps = mpeg1 ? kMpeg1Rates[rateIndex] : kMpeg2Rates[rateIndex];
    if (kbps == 0) return std::nullopt;
    Mp3FrameHeader out;
    out.sampleRate = kSampleRates[mpeg1 ? 0 : version == 2 ? 1 : 2][srIndex];
    out.samplesPerFrame = mpeg1 ? 1152 : 576;
    const int padding = (h >> 9) & 1;
    out.frameBytes = (mpeg1 ? 144 : 72) * kbps * 1000 / out.sampleRate + padding;
    out.channels = ((h >> 6) & 3) == 3 ? 1 : 2;
    return out;
}

int64_t countMp3Samples(std::span<const uint8_t> bytes, size_t& carry, int& rate) {
    int64_t samples = 0;
    size_t at = carry;
    carry = 0;
    while (at + 4 <= bytes.size()) {
        auto header = parseMp3FrameHeader(bytes.subspan(at));
        if (!header) {
            ++at;  // garbage between frames: look for the next sync, as the decoder will
            continue;
        }
        if (rate == 0) rate = header->sampleRate;
        samples += header->samplesPerFrame;
        at += size_t(header->frameBytes);
    }
    if (at > bytes.size()) carry = at - bytes.size();
    return samples;
}

}  // namespace velmora::swf
