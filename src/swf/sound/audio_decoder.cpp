#include "swf/sound/audio_decoder.h"

#include <algorithm>
#include <cstring>

#include "swf/sound/codec_stage.h"
#include "swf/sound/output_format.h"

namespace velmora::swf {

std::unique_ptr<AudioDecoder> AudioDecoder::create(const SoundFormatInfo& format, std::string& whyNot) {
    std::unique_ptr<CodecStage> stage;
    switch (format.format) {
        case SoundFormat::PcmNativeEndian:
        case SoundFormat::PcmLittleEndian:
            stage = makePcmStage(format);
            break;
        case SoundFormat::Adpcm:
            stage = makeAdpcmStage(format);
            break;
        case SoundFormat::Mp3:
        case SoundFormat::Nellymoser16k:
        case SoundFormat::Nellymoser8k:
        case SoundFormat::Nellymoser:
        case SoundFormat::Speex:
            stage = makeLibavStage(format, whyNot);
            break;
        default:
            whyNot = "unknown sound format " + std::to_string(int(format.format));
            break;
    }
    if (!stage) return nullptr;
    return std::unique_ptr<AudioDecoder>(new AudioDecoder(std::move(stage)));
}

std::unique_ptr<AudioDecoder> AudioDecoder::createAac(std::span<const uint8_t> config, std::string& whyNot) {
    std::unique_ptr<CodecStage> stage = makeAacStage(config, whyNot);
    if (!stage) return nullptr;
    return std::unique_ptr<AudioDecoder>(new AudioDecoder(std::move(stage)));
}

AudioDecoder::AudioDecoder(std::unique_ptr<CodecStage> stage) : stage_(std::move(stage)) {}

AudioDecoder::~AudioDecoder() = default;

void AudioDecoder::push(std::span<const uint8_t> chunk) {
    if (!closed_) chunks_.push_back(chunk);
}

void AudioDecoder::close() { closed_ = true; }

void AudioDecoder::fill(size_t frames) {
    const size_t wanted = frames * kOutputChannels;
    if (readAt_ > 0 && readAt_ >= ready_.size() / 2) {
        // Keep the buffer small: drop what has been read before decoding more.
        ready_.erase(ready_.begin(), ready_.begin() + ptrdiff_t(readAt_));
        readAt_ = 0;
    }
    while (ready_.size() - readAt_ < wanted) {
        if (inChunk_) {
            if (stage_->step(resampler_, ready_)) continue;
            inChunk_ = false;
        }
        if (!chunks_.empty()) {
            stage_->begin(chunks_.front());
            chunks_.pop_front();
            inChunk_ = true;
            continue;
        }
        if (closed_ && !drained_) {
            drained_ = true;
            stage_->finish(resampler_, ready_);
            resampler_.flush(ready_);
        }
        return;
    }
}

size_t AudioDecoder::read(int16_t* out, size_t frames) {
    fill(frames);
    const size_t given = std::min(frames, (ready_.size() - readAt_) / kOutputChannels);
    if (out != nullptr && given > 0) std::memcpy(out, ready_.data() + readAt_, given * kOutputChannels * sizeof(int16_t));
    readAt_ += given * kOutputChannels;
    return given;
}

bool AudioDecoder::exhausted() {
    fill(1);
    return readAt_ >= ready_.size() && drained_;
}

}  // namespace velmora::swf
