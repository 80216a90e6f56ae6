#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "swf/format/video.h"

namespace velmora::swf {

// One stream's pictures decoded with libavcodec, frame after frame: Sorenson H.263, screen video
// 1 and 2, VP6, VP6 with its alpha plane, and H.264 (which reorders pictures: see send()). Holds the decoder's reference pictures, so frames
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
    // (codec None, a size beyond VideoLimits, or a decoder this libavcodec lacks). config is the
    // codec's own setup the file carries apart from the pictures (H.264's decoder configuration
    // record); H.264 will not open without it.
    static std::unique_ptr<VideoDecoder> open(const VideoStreamCharacter& stream, std::string& error,
                                              std::span<const uint8_t> config = {});
    ~VideoDecoder();

    // Decodes one VideoFrame's data. keyframe marks data that stands alone (see video_packet.h).
    // The picture has the stream's declared size where the codec codes a few rows and columns
    // beyond it (VP6 codes whole 16-pixel blocks); otherwise the size the data gives.
    // A damaged frame gives an error and leaves the decoder usable for the frames that follow.
    Result decode(std::span<const uint8_t> data, bool keyframe);

    // Drops the reference pictures, before decoding from another keyframe.
    void reset();

    // For codecs that hold pictures back and give them in another order than they were coded
    // (H.264 with B-frames), decode() does not fit: send() takes the packets in file order, each
    // with a stamp of the caller's, and receive() gives the pictures as they come out, in the
    // order they are shown, by their stamps. A refused packet (damaged) answers false; the
    // decoder goes on with the next.
    // newConfig replaces the codec's setup from this packet on.
    bool send(std::span<const uint8_t> data, bool keyframe, int64_t stamp, std::span<const uint8_t> newConfig = {});
    // No packet follows until reset(): the pictures held back come out.
    void sendEnd();
    // The next picture out: its stamp, or nothing when the decoder wants more packets (or, after
    // sendEnd(), has no more). damaged tells a picture that should not be shown.
    struct Received {
        int64_t stamp = 0;
        bool damaged = false;
    };
    std::optional<Received> receive();
    // Keeps the picture last received for picture(), in place of the one kept before.
    void keep();
    // The kept picture, converted as decode() converts.
    Result picture();

private:
    struct Context;
    explicit VideoDecoder(std::unique_ptr<Context> context);
    std::unique_ptr<Context> context_;
};

}  // namespace velmora::swf
