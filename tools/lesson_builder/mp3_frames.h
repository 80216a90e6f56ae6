#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora::lessons {

// One MPEG audio frame found in an MP3 byte stream.
struct Mp3Frame {
    size_t offset = 0;
    size_t length = 0;
    uint32_t samples = 0;     // per channel
    uint32_t sampleRate = 0;
    bool stereo = false;
};

// Splits MP3 bytes into frames by their headers (MPEG 1, 2 and 2.5, layer III), skipping an ID3v2
// tag and any bytes that do not start a frame. A frame cut short at the end is dropped.
std::vector<Mp3Frame> splitMp3Frames(std::span<const uint8_t> bytes);

}  // namespace velmora::lessons
