#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
}

#include "swf/sound/codec_stage.h"
#include "swf/sound/mp3_frame_header.h"
#include "swf/sound/speex_frames.h"

namespace velmora::swf {

namespace {

// MP3, Nellymoser and Speex through libavcodec. MP3 goes through libavcodec's parser, so that
// frames cut across stream blocks, or garbage between them, are put together the way a file
// reader would; Nellymoser is cut into its fixed 64-byte packets; Speex into its frames.
class LibavStage final : public CodecStage {
public:
    // Takes ownership of context and parser (which may be null).
    LibavStage(const SoundFormatInfo& format, AVCodecContext* context, AVCodecParserContext* parser)
        : format_(format.format), context_(context), parser_(parser), packet_(av_packet_alloc()),
          frame_(av_frame_alloc()) {}

    ~LibavStage() override {
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        if (parser_ != nullptr) av_parser_close(parser_);
        avcodec_free_context(&context_);
    }

    bool valid() const { return packet_ != nullptr && frame_ != nullptr; }

    void begin(std::span<const uint8_t> chunk) override { rest_ = chunk; }

    bool step(Resampler& resampler, std::vector<int16_t>& out) override {
        if (rest_.empty()) return false;
        switch (format_) {
            case SoundFormat::Mp3: {
                const size_t size = std::min(rest_.size(), kBytesPerStep);
                parse(rest_.first(size), resampler, out);
                rest_ = rest_.subspan(size);
                break;
            }
            case SoundFormat::Nellymoser16k:
            case SoundFormat::Nellymoser8k:
            case SoundFormat::Nellymoser: {
                const size_t size = std::min(rest_.size(), kBytesPerStep) / kNellyBlock * kNellyBlock;
                if (size == 0) {
                    rest_ = {};  // a cut-off packet cannot be decoded
                    return false;
                }
                decodePacket(rest_.first(size), resampler, out);
                rest_ = rest_.subspan(size);
                break;
            }
            default:
                // Speex: a decoder takes one frame a packet.
                for (const auto& frame : splitSpeexFrames(rest_)) decodePacket(frame, resampler, out);
                rest_ = {};
                break;
        }
        return true;
    }

    void finish(Resampler& resampler, std::vector<int16_t>& out) override {
        if (parser_ != nullptr) parse({}, resampler, out);
        avcodec_send_packet(context_, nullptr);
        receiveAll(resampler, out);
    }

private:
    static constexpr size_t kBytesPerStep = 4096;
    static constexpr size_t kNellyBlock = 64;

    // Feeds bytes to the parser (empty bytes: drain it) and decodes each frame it finds. A parser
    // that neither takes bytes nor gives frames a few times running is given up on, so no input
    // can hold the loop.
    void parse(std::span<const uint8_t> bytes, Resampler& resampler, std::vector<int16_t>& out) {
        const bool drain = bytes.empty();
        // The parser, like the decoder, reads up to a padding's length past what it is given:
        // the stream's own bytes end exactly at the sound's end, so it gets a padded copy.
        parseInput_.assign(bytes.begin(), bytes.end());
        parseInput_.resize(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        bytes = std::span<const uint8_t>(parseInput_.data(), bytes.size());
        for (int idle = 0; idle < 4;) {
            uint8_t* data = nullptr;
            int size = 0;
            const int used = av_parser_parse2(parser_, context_, &data, &size, bytes.data(), int(bytes.size()),
                                              AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0 || size_t(used) > bytes.size()) return;
            bytes = bytes.subspan(size_t(used));
            if (size > 0) decodePacket({data, size_t(size)}, resampler, out);
            if (drain ? size == 0 : bytes.empty()) return;
            idle = used == 0 && size == 0 ? idle + 1 : 0;
        }
    }

    void decodePacket(std::span<const uint8_t> bytes, Resampler& resampler, std::vector<int16_t>& out) {
        // libavcodec may read a little past the packet: give it a padded copy.
        padded_.assign(bytes.begin(), bytes.end());
        padded_.resize(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        packet_->data = padded_.data();
        packet_->size = int(bytes.size());
        const size_t before = out.size();
        const int sent = avcodec_send_packet(context_, packet_);
        packet_->data = nullptr;
        packet_->size = 0;
        if (sent >= 0) receiveAll(resampler, out);
        if (format_ == SoundFormat::Mp3 && out.size() == before && (sent < 0 || lastFrameFailed_)) {
            // A damaged MP3 frame still takes its time: silence in its place keeps every later
            // sample, and the frame table built from the headers, where they belong.
            if (auto header = parseMp3FrameHeader(bytes)) {
                silence_.assign(size_t(header->samplesPerFrame), 0);
                const uint8_t* plane = reinterpret_cast<const uint8_t*>(silence_.data());
                resampler.convert(&plane, header->samplesPerFrame, header->sampleRate, 1, AV_SAMPLE_FMT_S16, out);
            }
        }
    }

    void receiveAll(Resampler& resampler, std::vector<int16_t>& out) {
        lastFrameFailed_ = false;
        for (;;) {
            const int got = avcodec_receive_frame(context_, frame_);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
            if (got < 0) {
                lastFrameFailed_ = true;
                return;
            }
            resampler.convert(frame_->extended_data, frame_->nb_samples, frame_->sample_rate,
                              frame_->ch_layout.nb_channels, frame_->format, out);
            av_frame_unref(frame_);
        }
    }

    const SoundFormat format_;
    AVCodecContext* context_;
    AVCodecParserContext* parser_;
    AVPacket* packet_;
    AVFrame* frame_;
    std::span<const uint8_t> rest_;
    std::vector<uint8_t> padded_;
    std::vector<uint8_t> parseInput_;
    std::vector<int16_t> silence_;
    bool lastFrameFailed_ = false;
};

}  // namespace

int effectiveSampleRate(const SoundFormatInfo& format) {
    switch (format.format) {
        case SoundFormat::Nellymoser16k:
        case SoundFormat::Speex:
            return 16000;
        case SoundFormat::Nellymoser8k:
            return 8000;
        default:
            // The header's 5.5 kHz is 5512.5 Hz in truth; 5512 is within a sample a second.
            return format.sampleRate == 0 ? 5512 : int(format.sampleRate);
    }
}

std::unique_ptr<CodecStage> makeLibavStage(const SoundFormatInfo& format, std::string& whyNot) {
    AVCodecID id = AV_CODEC_ID_NONE;
    switch (format.format) {
        case SoundFormat::Mp3: id = AV_CODEC_ID_MP3; break;
        case SoundFormat::Nellymoser16k:
        case SoundFormat::Nellymoser8k:
        case SoundFormat::Nellymoser: id = AV_CODEC_ID_NELLYMOSER; break;
        case SoundFormat::Speex: id = AV_CODEC_ID_SPEEX; break;
        default:
            whyNot = "not a libavcodec sound format";
            return nullptr;
    }
    const AVCodec* codec = avcodec_find_decoder(id);
    if (codec == nullptr) {
        whyNot = std::string("libavcodec has no ") + avcodec_get_name(id) + " decoder";
        return nullptr;
    }
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (context == nullptr) {
        whyNot = "out of memory";
        return nullptr;
    }
    // A damaged movie is not news for the console: the decoders' complaints drop to verbose.
    context->log_level_offset = AV_LOG_VERBOSE - AV_LOG_ERROR;
    // Nellymoser and Speex carry no header of their own: the tag tells rate and layout. SWF
    // Speex is always 16 kHz wide-band mono.
    context->sample_rate = effectiveSampleRate(format);
    const bool stereo = format.stereo && id == AV_CODEC_ID_MP3;
    av_channel_layout_default(&context->ch_layout, stereo ? 2 : 1);
    if (avcodec_open2(context, codec, nullptr) < 0) {
        whyNot = std::string("cannot open the ") + codec->name + " decoder";
        avcodec_free_context(&context);
        return nullptr;
    }
    AVCodecParserContext* parser = nullptr;
    if (id == AV_CODEC_ID_MP3) parser = av_parser_init(id);
    auto stage = std::make_unique<LibavStage>(format, context, parser);
    if (!stage->valid() || (id == AV_CODEC_ID_MP3 && parser == nullptr)) {
        whyNot = "out of memory";
        return nullptr;
    }
    return stage;
}

}  // namespace velmora::swf
