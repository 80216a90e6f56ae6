#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "swf/format/video.h"

namespace velmora::swf {

// The codec's short name ("h263", "screen", "screen2", "vp6", "vp6-alpha", "h264", "none"), for people
// looking inside a movie.
std::string_view videoCodecName(VideoStreamCharacter::Codec codec);

// Whether a VideoFrame's data can be decoded without the frames before it: an intra picture of
// Sorenson H.263 or VP6, or a screen video frame that carries every block whole. Data too short to
// tell is not a keyframe. Seeking starts decoding at the nearest keyframe before its target.
bool isVideoKeyframe(VideoStreamCharacter::Codec codec, std::span<const uint8_t> data);

// A VP6-with-alpha frame: a 24-bit big-endian offset, the colour picture, then the alpha plane
// coded as a second VP6 picture. Returns nothing when the offset points past the data.
struct Vp6AlphaPacket {
    std::span<const uint8_t> colour;
    std::span<const uint8_t> alpha;
};
std::optional<Vp6AlphaPacket> splitVp6AlphaPacket(std::span<const uint8_t> data);

}  // namespace velmora::swf
