#pragma once

#include <cstdint>

#include "swf/format/character.h"

namespace velmora::swf {

// DefineVideoStream. Its frames arrive as VideoFrame control tags on the timeline that places it.
// Codec None is what authoring tools write for a video object that plays an external stream: it
// carries no frames of its own and draws nothing until a script gives it some.
struct VideoStreamCharacter : Character {
    explicit VideoStreamCharacter(uint16_t id) : Character(CharacterKind::VideoStream, id) {}

    // H264 comes only from FLV files a script plays: a DefineVideoStream never carries it.
    enum class Codec : uint8_t { None = 0, H263 = 2, ScreenVideo = 3, Vp6 = 4, Vp6Alpha = 5, ScreenVideo2 = 6, H264 = 7 };

    uint16_t frameCount = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t deblocking = 0;  // 0: as each packet says, 1: off, 2..5: filter levels 1..4
    bool smoothing = false;
    Codec codec = Codec::H263;
};

}  // namespace velmora::swf
