#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "swf/format/video.h"

namespace velmora::swf {

// One stream's pictures decoded with libavcodec, frame after frame: Sorenson H.263, screen video
// 1 and 2, VP6, and VP6 with its alpha plane. Holds the decoder's reference pictures, so frames
// must come in stream order from a keyframe on; reset() before jumping elsewhere.
class VideoDecoder {
public:
    // What decode() gives: a picture, or why there is none (the data is damaged, or too large).
    struct Result {
        QImage image;       // RGB32, or premultiplied ARGB32 for VP6 with alpha
        std::string error;  // empty when image is valid
        bool ok() const { return error.empty(); }
    };

    // A decoder for stream's codec and declared size, or nullptr with error set when there is none
    // (codec None, a size beyond VideoLimits, or a decoder this libavcodec lacks).
    static std::unique_ptr<VideoDecoder> open(const VideoStreamCharacter& stream, std::string& error);
    ~VideoDecoder();

    // Decodes one VideoFrame's data. keyframe marks data that stands alone (see video_packet.h).
    // The picture has the stream's declared size where the codec codes a few rows and columns
    // beyond it (VP6 codes whole 16-pixel blocks); otherwise the size the data gives.
    // A damaged frame gives an error and leaves the decoder usable for the frames that follow.
    Result decode(std::span<const uint8_t> data, bool keyframe);

    // Drops the reference pictures, before decoding from another keyframe.
    void reset();

private:
    struct Context;
    explicit VideoDecoder(std::unique_ptr<Context> context);
    std::unique_ptr<Context> context_;
};

}  // namespace velmora::swf
