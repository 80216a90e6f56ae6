#pragma once

// Test audio made at test time with the ffmpeg command-line tool, and the measurements that
// compare our output with ffmpeg's own decodes.

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "swf/format/sound.h"

#include "support/required_fixtures.h"

namespace velmora::test {

// Whether the ffmpeg command-line tool (with an MP3 encoder) is on the PATH.
bool haveFfmpeg();

#define VELMORA_REQUIRE_FFMPEG()                                                                    \
    do {                                                                                            \
        if (!::velmora::test::haveFfmpeg()) {                                                       \
            VELMORA_MISSING_FIXTURE("the ffmpeg command-line tool with libmp3lame is not installed"); \
        }                                                                                           \
    } while (0)

// A fresh directory for this test program's files.
std::string scratchDir();
// Runs a shell command with ffmpeg's chatter silenced; fails the test when it fails.
bool runTool(const std::string& command);

std::vector<uint8_t> readBytes(const std::string& path);

// A WAV of a rising chirp with a second, beating tone: no two stretches of it look alike, so
// alignment by correlation has one clear answer. Returns its path.
std::string makeChirpWav(const std::string& name, int rate, int channels, double seconds);
// Encodes wav with ffmpeg's arguments (e.g. "-c:a libmp3lame -b:a 64k") into name; returns path.
std::string encode(const std::string& wav, const std::string& name, const std::string& args);
// ffmpeg's decode of any file it reads, as 44100 Hz interleaved 16-bit stereo. A mono file is
// put on both sides at full level (ffmpeg's own upmix would lower it by 3 dB).
std::vector<int16_t> ffmpegDecode(const std::string& path, bool mono);
// The samples of a 16-bit PCM WAV file as written (interleaved, the file's rate and channels).
std::vector<int16_t> readWavSamples(const std::string& path);

// MP3 bytes cut into whole frames (ID3 tags and other garbage dropped).
std::vector<std::vector<uint8_t>> mp3Frames(std::span<const uint8_t> mp3);
// The audio packets of an FLV file without their one-byte format header.
std::vector<std::vector<uint8_t>> flvAudioPackets(std::span<const uint8_t> flv);

// Decodes chunks with our AudioDecoder to the end.
std::vector<int16_t> decodeWithOurs(const swf::SoundFormatInfo& format, const std::vector<std::vector<uint8_t>>& chunks);

struct Alignment {
    double correlation = 0;  // normalised, of the overlapping part at the best lag
    long lag = 0;            // frames: ours[i + lag] matches reference[i]
};
// Finds the lag within +-maxLag frames at which ours best matches reference (both interleaved
// stereo, compared as mono) and the correlation there.
Alignment align(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, long maxLag);

// The longest run of output frames (from `from` to `to`) that is silent in ours while the
// reference, at the given lag, has sound: a gap.
long longestGap(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference, long lag);

// Root mean square of frames [from, to) of interleaved stereo samples, both sides together.
double rms(const std::vector<int16_t>& samples, size_t from, size_t to);

}  // namespace velmora::test
