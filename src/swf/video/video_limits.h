#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::swf {

// Bounds on what a movie's video may cost, whatever its file claims.
struct VideoLimits {
    // A stream whose declared or decoded picture is larger is not drawn. Generous for the movies
    // of this format (most are 320x240 to 1280x720), and the decoder refuses to allocate beyond it.
    static constexpr int kMaxSide = 4096;
    static constexpr int64_t kMaxPixels = int64_t(1920) * 1088 * 2;
    // Decoded pictures kept per stream, so that stepping back and forth does not decode again from
    // the keyframe; whichever bound is met first.
    static constexpr size_t kMaxCachedFrames = 24;
    static constexpr size_t kMaxCachedBytes = size_t(32) << 20;
    // Frames decoded for one drawing at most. A seek far from any keyframe (a stream whose only
    // keyframe is its first) then catches up over the frames drawn after it instead of holding
    // the window still; ten seconds of 25 fps video, some 250 ms at 640x480.
    static constexpr int kMaxDecodesPerDraw = 250;
    // Streams with a decoder open at once per movie; the least recently drawn is closed beyond it.
    // With the bound on kept pictures this holds a movie's video to some 130 MB at the very most.
    static constexpr size_t kMaxOpenStreams = 4;
};

}  // namespace velmora::swf
