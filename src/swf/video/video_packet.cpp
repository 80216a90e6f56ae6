#include "swf/video/video_packet.h"

#include "swf/format/bit_reader.h"
#include "swf/format/malformed_data.h"

namespace velmora::swf {
namespace {

using Codec = VideoStreamCharacter::Codec;

bool h263Keyframe(std::span<const uint8_t> data) {
    try {
        BitReader in(data);
        if (in.ub(17) != 1) return false;  // picture start code
        in.ub(5);                          // version
        in.ub(8);                          // temporal reference
        const uint32_t size = in.ub(3);
        if (size == 0) in.ub(16);
        if (size == 1) in.ub(32);
        return in.ub(2) == 0;  // 0 intra, 1 inter, 2 disposable inter
    } catch (const MalformedData&) {
        return false;
    }
}

// Screen video frames list their blocks row by row; an empty block means "as before". A frame is
// whole when every block is present and, in version 2, none is coded against an earlier frame
// (difference blocks, or compression primed with the previous picture).
bool screenVideoKeyframe(std::span<const uint8_t> data, bool version2) {
    try {
        BitReader in(data);
        const uint32_t blockWidth = (in.ub(4) + 1) * 16;
        const uint32_t imageWidth = in.ub(12);
        const uint32_t blockHeight = (in.ub(4) + 1) * 16;
        const uint32_t imageHeight = in.ub(12);
        if (imageWidth == 0 || imageHeight == 0) return false;
        if (version2) {
            const uint8_t flags = in.u8();
            // A palette changes how later blocks read; such frames are left to decode in sequence.
            if (flags & 0x01) return false;
        }
        const uint32_t blocks = ((imageWidth + blockWidth - 1) / blockWidth) * ((imageHeight + blockHeight - 1) / blockHeight);
        for (uint32_t i = 0; i < blocks; ++i) {
            const uint32_t size = uint32_t(in.u8()) << 8 | in.u8();
            if (size == 0) return false;
            if (version2) {
                const uint8_t format = in.u8();
                if (format & 0x07) return false;  // difference blocks, or primed from another frame
                in.skip(size - 1);
            } else {
                in.skip(size);
            }
        }
        return true;
    } catch (const MalformedData&) {
        return false;
    }
}

}  // namespace

std::string_view videoCodecName(Codec codec) {
    switch (codec) {
        case Codec::H263: return "h263";
        case Codec::ScreenVideo: return "screen";
        case Codec::ScreenVideo2: return "screen2";
        case Codec::Vp6: return "vp6";
        case Codec::Vp6Alpha: return "vp6-alpha";
        case Codec::H264: return "h264";
        default: return "none";
    }
}

bool isVideoKeyframe(Codec codec, std::span<const uint8_t> data) {
    switch (codec) {
        case Codec::H263: return h263Keyframe(data);
        case Codec::ScreenVideo: return screenVideoKeyframe(data, false);
        case Codec::ScreenVideo2: return screenVideoKeyframe(data, true);
        case Codec::Vp6: return !data.empty() && (data[0] & 0x80) == 0;
        case Codec::Vp6Alpha: {
            auto packet = splitVp6AlphaPacket(data);
            return packet && !packet->colour.empty() && (packet->colour[0] & 0x80) == 0;
        }
        default: return false;
    }
}

std::optional<Vp6AlphaPacket> splitVp6AlphaPacket(std::span<const uint8_t> data) {
    if (data.size() < 3) return std::nullopt;
    const size_t offset = size_t(data[0]) << 16 | size_t(data[1]) << 8 | data[2];
    if (offset > data.size() - 3) return std::nullopt;
    return Vp6AlphaPacket{data.subspan(3, offset), data.subspan(3 + offset)};
}

}  // namespace velmora::swf
