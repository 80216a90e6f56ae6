#pragma once

// FLV files made in the test by libavcodec's encoders and libavformat's FLV muxer, from a moving
// test picture and a tone whose start is known, with the pictures as they were before encoding.

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

struct FlvRecipe {
    std::string container = "flv";  // or "mp4", with the same encoders
    std::string video = "libx264";  // an encoder name, or empty for no pictures
    std::string sound = "aac";      // likewise, for no sound
    int width = 160;
    int height = 120;
    int frames = 50;               // at 25 a second
    int gop = 25;                  // a keyframe every gop pictures
    int bFrames = 2;               // H.264 only
    // From this picture on (a keyframe; bFrames 0) the pictures are resizedWidth x resizedHeight,
    // coded by a second encoder whose configuration the file sends anew.
    int resizeAt = -1;
    int resizedWidth = 320;
    int resizedHeight = 240;
    int sampleRate = 44100;
    int channels = 1;
    double toneFrom = 0.5;         // seconds of silence before the 1 kHz tone
    double soundSeconds = 2.0;
};

struct EncodedFlv {
    std::vector<uint8_t> bytes;
    std::vector<QImage> pictures;  // what was encoded, RGB32, one per 1/25 s
    // Seconds the muxer moved everything later by: picture i is due at shift + i / 25, and the
    // tone begins at shift + toneFrom.
    double shift = 0;
};

// Whether this libavcodec has the encoder.
bool haveEncoder(const std::string& name);

// Encodes and muxes the recipe; empty bytes (with a test failure) when an encoder or the muxer
// refuses it.
EncodedFlv encodeFlv(const FlvRecipe& recipe);

}  // namespace velmora::test
