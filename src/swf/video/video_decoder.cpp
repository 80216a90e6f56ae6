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

// A configuration record is a few dozen bytes; one far larger is damage, not a stream.
constexpr size_t kMaxConfig = 64 * 1024;

AVCodecID codecId(Codec codec) {
    switch (codec) {
        case Codec::H263: return AV_CODEC_ID_FLV1;
        case Codec::ScreenVideo: return AV_CODEC_ID_FLASHSV;
        case Codec::ScreenVideo2: return AV_CODEC_ID_FLASHSV2;
        // The format's VP6 is the variant Flash Video carries, stored upside down.
        case Codec::Vp6: return AV_CODEC_ID_VP6F;
        case Codec::Vp6Alpha: return AV_CODEC_ID_VP6A;
        case Codec::H264: return AV_CODEC_ID_H264;
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
    AVFrame* kept = nullptr;  // the picture keep() chose, for picture()
    SwsContext* scaler = nullptr;
    std::vector<uint8_t> padded;  // the data with the zeroed tail libavcodec's readers may touch

    ~Context() {
        sws_freeContext(scaler);
        av_frame_free(&kept);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codecContext);
    }

    // Sends data (padded, as libavcodec's readers want) as one packet.
    int send(std::span<const uint8_t> data, bool keyframe, int64_t stamp, std::span<const uint8_t> newConfig = {}) {
        if (data.size() > size_t(INT32_MAX) - AV_INPUT_BUFFER_PADDING_SIZE) return AVERROR(EINVAL);
        padded.assign(data.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        std::memcpy(padded.data(), data.data(), data.size());
        av_packet_unref(packet);
        packet->data = padded.data();
        packet->size = int(data.size());
        packet->pts = stamp;
        packet->dts = AV_NOPTS_VALUE;
        if (keyframe) packet->flags |= AV_PKT_FLAG_KEY;
        if (!newConfig.empty() && newConfig.size() <= kMaxConfig) {
            uint8_t* side = av_packet_new_side_data(packet, AV_PKT_DATA_NEW_EXTRADATA, newConfig.size());
            if (side) std::memcpy(side, newConfig.data(), newConfig.size());
        }
        const int status = avcodec_send_packet(codecContext, packet);
        packet->data = nullptr;
        packet->size = 0;
        return status;
    }

    Result convert() { return convert(*frame); }

    Result convert(const AVFrame& picture) {
        const int width = picture.width;
        const int height = picture.height;
        if (width <= 0 || height <= 0 || width > VideoLimits::kMaxSide || height > VideoLimits::kMaxSide)
            return {{}, "its picture has an impossible size " + std::to_string(width) + "x" + std::to_string(height)};
        const int shownWidth = shownSide(width, declaredWidth);
        const int shownHeight = shownSide(height, declaredHeight);
        // The alpha plane is joined separately: the colour planes convert as a plain picture.
        const bool withAlpha = picture.format == AV_PIX_FMT_YUVA420P;
        const auto source = withAlpha ? AV_PIX_FMT_YUV420P : static_cast<AVPixelFormat>(picture.format);
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
        sws_scale(scaler, picture.data, picture.linesize, 0, height, target, targetStride);
        // Shown through the padding, cut to the shown size without a copy.
        QImage image(buffer, shownWidth, shownHeight, stride, QImage::Format_RGB32, [](void* p) { av_free(p); }, buffer);
        if (image.isNull()) {
            av_free(buffer);
            return {{}, "there is no memory for its picture"};
        }
        if (withAlpha) image = withAlphaPlane(image, picture.data[3], picture.linesize[3]);
        return {std::move(image), {}};
    }
};

VideoDecoder::VideoDecoder(std::unique_ptr<Context> context) : context_(std::move(context)) {}
VideoDecoder::~VideoDecoder() = default;

std::unique_ptr<VideoDecoder> VideoDecoder::open(const VideoStreamCharacter& stream, std::string& error,
                                                 std::span<const uint8_t> config) {
    const AVCodecID id = codecId(stream.codec);
    if (id == AV_CODEC_ID_NONE) {
        error = "it has no codec of its own";
        return nullptr;
    }
    if (id == AV_CODEC_ID_H264 && (config.empty() || config.size() > kMaxConfig)) {
        error = config.empty() ? "its decoder configuration is missing" : "its decoder configuration is damaged";
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
    // H.264 pictures carry their own cropping: a declared size has nothing to add to it.
    const bool ownSize = stream.codec == Codec::H264;
    context->declaredWidth = ownSize ? 0 : stream.width;
    context->declaredHeight = ownSize ? 0 : stream.height;
    context->codecContext = avcodec_alloc_context3(codec);
    context->packet = av_packet_alloc();
    context->frame = av_frame_alloc();
    context->kept = av_frame_alloc();
    if (!context->codecContext || !context->packet || !context->frame || !context->kept) {
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
    if (!config.empty()) {
        c->extradata = static_cast<uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!c->extradata) {
            error = "there is no memory for its decoder";
            return nullptr;
        }
        std::memcpy(c->extradata, config.data(), config.size());
        c->extradata_size = int(config.size());
    }
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
    int status = ctx.send(data, keyframe, AV_NOPTS_VALUE);
    if (status < 0) return {{}, "the decoder refuses it"};
    status = avcodec_receive_frame(ctx.codecContext, ctx.frame);
    if (status < 0) return {{}, "it gives no picture"};
    Result result = (ctx.frame->decode_error_flags != 0 || (ctx.frame->flags & AV_FRAME_FLAG_CORRUPT))
                        ? Result{{}, "its picture is damaged"}
                        : ctx.convert();
    av_frame_unref(ctx.frame);
    return result;
}

void VideoDecoder::reset() {
    avcodec_flush_buffers(context_->codecContext);
    av_frame_unref(context_->kept);
}

bool VideoDecoder::send(std::span<const uint8_t> data, bool keyframe, int64_t stamp, std::span<const uint8_t> newConfig) {
    if (data.empty()) return false;
    return context_->send(data, keyframe, stamp, newConfig) >= 0;
}

void VideoDecoder::sendEnd() { avcodec_send_packet(context_->codecContext, nullptr); }

std::optional<VideoDecoder::Received> VideoDecoder::receive() {
    Context& ctx = *context_;
    av_frame_unref(ctx.frame);
    if (avcodec_receive_frame(ctx.codecContext, ctx.frame) < 0) return std::nullopt;
    const int64_t stamp = ctx.frame->best_effort_timestamp != AV_NOPTS_VALUE ? ctx.frame->best_effort_timestamp
                                                                            : ctx.frame->pts;
    return Received{stamp, ctx.frame->decode_error_flags != 0 || (ctx.frame->flags & AV_FRAME_FLAG_CORRUPT) != 0};
}

void VideoDecoder::keep() {
    av_frame_unref(context_->kept);
    av_frame_move_ref(context_->kept, context_->frame);
}

VideoDecoder::Result VideoDecoder::picture() {
    if (!context_->kept->buf[0]) return {{}, "there is no picture"};
    return context_->convert(*context_->kept);
}

}  // namespace velmora::swf
