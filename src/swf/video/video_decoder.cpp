#include "swf/video/video_decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "swf/video/alpha_plane.h"
#include "swf/video/video_limits.h"
#include "swf/video/video_packet.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

namespace velmora::swf {

namespace {

using Codec = VideoStreamCharacter::Codec;

AVCodecID codecId(Codec codec) {
    switch (codec) {
        case Codec::H263: return AV_CODEC_ID_FLV1;
        case Codec::ScreenVideo: return AV_CODEC_ID_FLASHSV;
        case Codec::ScreenVideo2: return AV_CODEC_ID_FLASHSV2;
        // The format's VP6 is the variant Flash Video carries, stored upside down.
        case Codec::Vp6: return AV_CODEC_ID_VP6F;
        case Codec::Vp6Alpha: return AV_CODEC_ID_VP6A;
        default: return AV_CODEC_ID_NONE;
    }
}

// VP6 codes whole 16-pixel blocks and the file gives no finer size: the picture's true size is
// the declared one when it falls within the last block.
int shownSide(int decoded, int declared) {
    return declared > 0 && declared <= decoded && decoded - declared < 16 ? declared : decoded;
}

}  // namespace

struct VideoDecoder::Context {
    Codec codec = Codec::None;
    int declaredWidth = 0;
    int declaredHeight = 0;
    AVCodecContext* codecContext = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;
    std::vector<uint8_t> padded;  // the data with the zeroed tail libavcodec's readers may touch

    ~Context() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codecContext);
    }

    Result convert() {
        const int width = frame->width;
        const int height = frame->height;
        if (width <= 0 || height <= 0 || width > VideoLimits::kMaxSide || height > VideoLimits::kMaxSide)
            return {{}, "its picture has an impossible size " + std::to_string(width) + "x" + std::to_string(height)};
        const int shownWidth = shownSide(width, declaredWidth);
        const int shownHeight = shownSide(height, declaredHeight);
        // The alpha plane is joined separately: the colour planes convert as a plain picture.
        const bool withAlpha = frame->format == AV_PIX_FMT_YUVA420P;
        const auto source = withAlpha ? AV_PIX_FMT_YUV420P : static_cast<AVPixelFormat>(frame->format);
        // libswscale's fast converters, as ffmpeg's own defaults: full chroma interpolation and
        // exact rounding made a 640x480 frame cost about six times as much.
        scaler = sws_getCachedContext(scaler, width, height, source, width, height, AV_PIX_FMT_RGB32, SWS_BICUBIC,
                                      nullptr, nullptr, nullptr);
        if (!scaler) return {{}, "its pixel format cannot be converted"};
        // The converters write whole vectors and may run past a row's last pixel: rows are padded
        // to 64 bytes and a spare row follows, so that the last row's tail lands in our memory.
        const int stride = (width * 4 + 63) & ~63;
        auto* buffer = static_cast<uint8_t*>(av_malloc(size_t(stride) * size_t(height + 1) + 64));
        if (!buffer) return {{}, "there is no memory for its picture"};
        uint8_t* target[4] = {buffer, nullptr, nullptr, nullptr};
        int targetStride[4] = {stride, 0, 0, 0};
        sws_scale(scaler, frame->data, frame->linesize, 0, height, target, targetStride);
        // Shown through the padding, cut to the shown size without a copy.
        QImage image(buffer, shownWidth, shownHeight, stride, QImage::Format_RGB32, [](void* p) { av_free(p); }, buffer);
        if (image.isNull()) {
            av_free(buffer);
            return {{}, "there is no memory for its picture"};
        }
        if (withAlpha) image = withAlphaPlane(image, frame->data[3], frame->linesize[3]);
        return {std::move(image), {}};
    }
};

VideoDecoder::VideoDecoder(std::unique_ptr<Context> context) : context_(std::move(context)) {}
VideoDecoder::~VideoDecoder() = default;

std::unique_ptr<VideoDecoder> VideoDecoder::open(const VideoStreamCharacter& stream, std::string& error) {
    const AVCodecID id = codecId(stream.codec);
    if (id == AV_CODEC_ID_NONE) {
        error = "it has no codec of its own";
        return nullptr;
    }
    if (stream.width > VideoLimits::kMaxSide || stream.height > VideoLimits::kMaxSide ||
        int64_t(stream.width) * stream.height > VideoLimits::kMaxPixels) {
        error = "it is " + std::to_string(stream.width) + "x" + std::to_string(stream.height) + ", larger than " +
                std::to_string(VideoLimits::kMaxSide) + " pixels a side or " +
                std::to_string(VideoLimits::kMaxPixels) + " pixels in all";
        return nullptr;
    }
    const AVCodec* codec = avcodec_find_decoder(id);
    if (!codec) {
        error = std::string("this system's libavcodec has no ") + avcodec_get_name(id) + " decoder";
        return nullptr;
    }
    auto context = std::make_unique<Context>();
    context->codec = stream.codec;
    context->declaredWidth = stream.width;
    context->declaredHeight = stream.height;
    context->codecContext = avcodec_alloc_context3(codec);
    context->packet = av_packet_alloc();
    context->frame = av_frame_alloc();
    if (!context->codecContext || !context->packet || !context->frame) {
        error = "there is no memory for its decoder";
        return nullptr;
    }
    AVCodecContext* c = context->codecContext;
    c->width = stream.width;
    c->height = stream.height;
    c->thread_count = 1;  // pictures are small; one thread keeps memory and latency down
    c->max_pixels = VideoLimits::kMaxPixels;
    // Report damage instead of hiding it, so the last good picture stays on screen.
    c->err_recognition = AV_EF_EXPLODE;
    // The stream may ask for its deblocking filter off; the decoders offer no finer levels.
    if (stream.deblocking == 1) c->skip_loop_filter = AVDISCARD_ALL;
    if (avcodec_open2(c, codec, nullptr) < 0) {
        error = std::string("its ") + avcodec_get_name(id) + " decoder does not open";
        return nullptr;
    }
    return std::unique_ptr<VideoDecoder>(new VideoDecoder(std::move(context)));
}

VideoDecoder::Result VideoDecoder::decode(std::span<const uint8_t> data, bool keyframe) {
    Context& ctx = *context_;
    if (data.empty()) return {{}, "it is empty"};
    if (ctx.codec == Codec::Vp6Alpha && !splitVp6AlphaPacket(data)) return {{}, "its alpha plane lies past its end"};
    if (data.size() > size_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) return {{}, "it is too large"};
    ctx.padded.assign(data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(ctx.padded.data(), data.data(), data.size());
    av_packet_unref(ctx.packet);
    ctx.packet->data = ctx.padded.data();
    ctx.packet->size = int(data.size());
    if (keyframe) ctx.packet->flags |= AV_PKT_FLAG_KEY;
    int status = avcodec_send_packet(ctx.codecContext, ctx.packet);
    ctx.packet->data = nullptr;
    ctx.packet->size = 0;
    if (status < 0) return {{}, "the decoder refuses it"};
    status = avcodec_receive_frame(ctx.codecContext, ctx.frame);
    if (status < 0) return {{}, "it gives no picture"};
    Result result = (ctx.frame->decode_error_flags != 0 || (ctx.frame->flags & AV_FRAME_FLAG_CORRUPT))
                        ? Result{{}, "its picture is damaged"}
                        : ctx.convert();
    av_frame_unref(ctx.frame);
    return result;
}

void VideoDecoder::reset() { avcodec_flush_buffers(context_->codecContext); }

}  // namespace velmora::swf
