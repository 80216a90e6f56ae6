#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora::swf {

// The facts of one MPEG audio layer III frame that its 4-byte header gives. Lets the stream
// table count samples without decoding, and lets the decoder put silence of the right length in
// place of a frame that fails to decode.
struct Mp3FrameHeader {
    int sampleRate = 0;        // 8000 .. 48000
    int samplesPerFrame = 0;   // 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
    int frameBytes = 0;        // header included, padding included
    int channels = 0;          // 1 or 2
};

// The header at the start of bytes, or nullopt when there is no valid layer III header there
// (no sync, reserved fields, free-format bit rate) or fewer than 4 bytes.
std::optional<Mp3FrameHeader> parseMp3FrameHeader(std::span<const uint8_t> bytes);

// The samples (per channel) of the frames whose headers lie in bytes, walking frame to frame and
// searching for the next sync after garbage. `carry` is the number of leading bytes that still
// belong to a frame begun before bytes (for data cut into blocks); it is updated to the number of
// bytes the last frame reaches beyond bytes. `rate` receives the first frame's sample rate if it
// is still 0.
int64_t countMp3Samples(std::span<const uint8_t> bytes, size_t& carry, int& rate);

}  // namespace velmora::swf
