#pragma once

#include <cstdint>

namespace velmora::swf {

// Everything the sound system hands on is 44100 Hz interleaved 16-bit stereo: one rate for the
// mixer, the devices and the WAV files, so that sample counts are also the common clock.
inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;

// A sample count of the output clock turned into seconds, and back.
inline constexpr double outputSeconds(int64_t frames) { return double(frames) / kOutputRate; }
inline constexpr int64_t outputFrames(double seconds) { return int64_t(seconds * kOutputRate); }

}  // namespace velmora::swf
