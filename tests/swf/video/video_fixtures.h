#pragma once

// Test video made at test time with the ffmpeg command-line tool, ffmpeg's own decode of it, and
// movies built around its frames.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/format/movie.h"

namespace velmora::test {

// Whether the ffmpeg command-line tool is on the PATH with the flv, flashsv and flashsv2 encoders.
bool haveVideoEncoders();

// Skips the test when ffmpeg is missing, or fails it when VELMORA_REQUIRE_FIXTURES=1 says the
// fixtures must be there.
#define VELMORA_REQUIRE_VIDEO_ENCODERS()                                                             \
    do {                                                                                             \
        if (!::velmora::test::haveVideoEncoders()) {                                                 \
            if (::velmora::test::fixturesRequired())                                                 \
                FAIL() << "ffmpeg with the flv, flashsv and flashsv2 encoders is required";          \
            GTEST_SKIP() << "the ffmpeg command-line tool with the flv, flashsv and flashsv2 "      \
                            "encoders is not installed";                                             \
        }                                                                                            \
    } while (0)

bool fixturesRequired();

// A moving test picture encoded by ffmpeg: the packets as a VideoFrame carries them, and ffmpeg's
// decode of each, converted to RGB as our decoder converts.
struct EncodedVideo {
    int width = 0;
    int height = 0;
    uint8_t codec = 0;  // the format's codec number
    std::vector<std::vector<uint8_t>> packets;
    std::vector<bool> keyframes;  // as the encoder marked them in its FLV file
    std::vector<QImage> reference;  // RGB32
};

// Encodes frames frames of width x height with ffmpeg's encoder (flv, flashsv or flashsv2), a
// keyframe every gop frames.
EncodedVideo encodeTestVideo(const std::string& encoder, int width, int height, int frames, int gop);

// DefineVideoStream's body.
std::vector<uint8_t> defineVideoStreamBody(uint16_t id, uint16_t frames, uint16_t width, uint16_t height,
                                           uint8_t codec, bool smoothing = false, uint8_t deblocking = 0);
// VideoFrame's body.
std::vector<uint8_t> videoFrameBody(uint16_t streamId, uint16_t frameNum, const std::vector<uint8_t>& data);

// A movie the video's size with one frame per packet: each frame brings its VideoFrame and moves
// the video (id 1) to it by ratio. inSprite puts frames and placements in a sprite (id 2) placed at
// depth 1 of a main timeline as long.
std::shared_ptr<const swf::Movie> videoMovie(const EncodedVideo& video, bool inSprite);

// Peak signal-to-noise ratio of two pictures of one size over their RGB channels, in dB; 100 for
// identical pictures, 0 when the sizes differ.
double psnr(const QImage& a, const QImage& b);

}  // namespace velmora::test
