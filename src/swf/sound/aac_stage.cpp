#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include "swf/sound/codec_stage.h"

namespace velmora::swf {

namespace {

// AAC as FLV files carry it: every chunk one raw frame, the stream's setup given apart.
class AacStage final : public CodecStage {
public:
    explicit AacStage(AVCodecContext* context) : context_(context), packet_(av_packet_alloc()), frame_(av_frame_alloc()) {}
    ~AacStage() override {
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&context_);
    }

    bool valid() const { return packet_ != nullptr && frame_ != nullptr; }

    void begin(std::span<const uint8_t> chunk) override {
        chunk_ = chunk;
        pending_ = !chunk.empty();
    }

    bool step(Resampler& resampler, std::vector<int16_t>& out) override {
        if (!pending_) return false;
        pending_ = false;
        // A raw frame holds at most 6144 bits a channel; a chunk far larger is not one.
        if (chunk_.size() > kMaxFrameBytes) return true;
        padded_.assign(chunk_.begin(), chunk_.end());
        padded_.resize(chunk_.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        packet_->data = padded_.data();
        packet_->size = int(chunk_.size());
        const int sent = avcodec_send_packet(context_, packet_);
        packet_->data = nullptr;
        packet_->size = 0;
        if (sent >= 0) receiveAll(resampler, out);
        return true;
    }

    void finish(Resampler& resampler, std::vector<int16_t>& out) override {
        avcodec_send_packet(context_, nullptr);
        receiveAll(resampler, out);
    }

private:
    static constexpr size_t kMaxFrameBytes = 8 * 768;

    void receiveAll(Resampler& resampler, std::vector<int16_t>& out) {
        while (avcodec_receive_frame(context_, frame_) >= 0) {
            resampler.convert(frame_->extended_data, frame_->nb_samples, frame_->sample_rate,
                              frame_->ch_layout.nb_channels, frame_->format, out);
            av_frame_unref(frame_);
        }
    }

    AVCodecContext* context_;
    AVPacket* packet_;
    AVFrame* frame_;
    std::span<const uint8_t> chunk_;
    bool pending_ = false;
    std::vector<uint8_t> padded_;
};

}  // namespace

std::unique_ptr<CodecStage> makeAacStage(std::span<const uint8_t> config, std::string& whyNot) {
    // An AudioSpecificConfig is a few bytes; one of kilobytes is damage.
    if (config.empty() || config.size() > 1024) {
        whyNot = config.empty() ? "its AAC setup is missing" : "its AAC setup is damaged";
        return nullptr;
    }
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) {
        whyNot = "libavcodec has no aac decoder";
        return nullptr;
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (context == nullptr) {
        whyNot = "out of memory";
        return nullptr;
    }
    context->log_level_offset = AV_LOG_VERBOSE - AV_LOG_ERROR;
    context->extradata = static_cast<uint8_t*>(av_mallocz(config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context->extradata == nullptr) {
        whyNot = "out of memory";
        avcodec_free_context(&context);
        return nullptr;
    }
    std::memcpy(context->extradata, config.data(), config.size());
    context->extradata_size = int(config.size());
    if (avcodec_open2(context, codec, nullptr) < 0) {
        whyNot = "its AAC setup is damaged";
        avcodec_free_context(&context);
        return nullptr;
    }
    auto stage = std::make_unique<AacStage>(context);
    if (!stage->valid()) {
        whyNot = "out of memory";
        return nullptr;
    }
    return stage;
}

}  // namespace velmora::swf
