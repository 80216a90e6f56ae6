// Feeds arbitrary bytes to the video decoders as a hostile file's VideoFrame tags would: the
// first byte picks the codec and the deblocking setting, the next two the declared size, and the
// rest is a run of frames, each a 16-bit length and its data. Every frame also goes through the
// keyframe and VP6 framing checks. A crash, sanitizer report, hang or runaway allocation is a bug;
// a frame refused as damaged is a correct answer.

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <span>

#include "swf/video/video_decoder.h"
#include "swf/video/video_packet.h"

extern "C" {
#include <libavutil/log.h>
}

// libavcodec's complaints about every damaged input would drown the fuzzer's own output.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    av_log_set_level(AV_LOG_QUIET);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::swf;
    using Codec = VideoStreamCharacter::Codec;
    if (size < 3) return 0;
    static constexpr Codec kCodecs[] = {Codec::H263, Codec::ScreenVideo, Codec::ScreenVideo2, Codec::Vp6,
                                        Codec::Vp6Alpha};
    VideoStreamCharacter stream(1);
    stream.codec = kCodecs[(data[0] & 0x0F) % 5];
    stream.deblocking = uint8_t((data[0] >> 4) % 6);
    // Small pictures keep each input quick; the decoders read the true size from the data anyway.
    stream.width = uint16_t(data[1] % 128 + 1);
    stream.height = uint16_t(data[2] % 128 + 1);
    std::string error;
    auto decoder = VideoDecoder::open(stream, error);
    if (!decoder) return 0;
    std::span<const uint8_t> rest(data + 3, size - 3);
    int frames = 0;
    while (rest.size() >= 2 && frames < 32) {
        const size_t length = std::min<size_t>(size_t(rest[0]) << 8 | rest[1], rest.size() - 2);
        const auto frame = rest.subspan(2, length);
        rest = rest.subspan(2 + length);
        const bool key = isVideoKeyframe(stream.codec, frame);
        (void)splitVp6AlphaPacket(frame);
        const auto result = decoder->decode(frame, key);
        if (result.ok() && (result.image.isNull() || result.image.width() <= 0)) __builtin_trap();
        if (++frames % 8 == 0) decoder->reset();
    }
    return 0;
}
