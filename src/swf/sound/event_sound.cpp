#include "swf/sound/event_sound.h"

#include <algorithm>
#include <limits>

#include "swf/sound/codec_stage.h"
#include "swf/sound/mp3_frame_header.h"
#include "swf/sound/output_format.h"

namespace velmora::swf {

EventSound::EventSound(std::shared_ptr<const SoundCharacter> sound, const SoundInfo& info)
    : sound_(std::move(sound)), info_(info) {
    // A loop count of 0 plays once, as the format's players do.
    loopsLeft_ = std::max<uint32_t>(info_.loops, 1);
    end_ = info_.outPoint ? int64_t(*info_.outPoint) : std::numeric_limits<int64_t>::max();
    int rate = effectiveSampleRate(sound_->info);
    if (sound_->info.format == SoundFormat::Mp3) {
        if (auto header = parseMp3FrameHeader(sound_->data)) rate = header->sampleRate;
        leadIn_ = int64_t(std::max<int16_t>(sound_->mp3SeekSamples, 0)) * kOutputRate / rate;
    }
    // The sample count ends the sound where the encoder's padding begins (an MP3's last frame is
    // filled out with silence). It may only shorten the sound: a count beyond the data is a lie
    // that changes nothing.
    if (sound_->sampleCount > 0) end_ = std::min(end_, int64_t(sound_->sampleCount) * kOutputRate / rate);
    // The first loop starts on the audio side: opening it decodes the lead-in.
    const int64_t in = info_.inPoint ? int64_t(*info_.inPoint) : 0;
    published_.store(in, std::memory_order_release);
    if (sound_->data.empty() || in >= end_) finish();
}

void EventSound::finish() {
    finished_ = true;
    finishedFlag_.store(true, std::memory_order_release);
}

bool EventSound::startLoop() {
    if (loopsLeft_ == 0) return false;
    --loopsLeft_;
    decoder_ = AudioDecoder::create(sound_->info, problem_);
    if (!decoder_) return false;
    decoder_->push(sound_->data);
    decoder_->close();
    position_ = info_.inPoint ? int64_t(*info_.inPoint) : 0;
    heardThisLoop_ = false;
    for (int64_t skip = leadIn_ + position_; skip > 0;) {
        const size_t dropped = decoder_->read(nullptr, size_t(std::min<int64_t>(skip, 8192)));
        if (dropped == 0) break;
        skip -= int64_t(dropped);
    }
    return true;
}

void EventSound::gainAt(double position, float& left, float& right) const {
    const auto& points = info_.envelope;
    if (points.empty()) {
        left = right = 1.0f;
        return;
    }
    auto after = std::upper_bound(points.begin(), points.end(), position,
                                  [](double p, const SoundEnvelopePoint& e) { return p < double(e.position44); });
    if (after == points.begin() || after == points.end()) {
        const SoundEnvelopePoint& e = after == points.begin() ? points.front() : points.back();
        left = float(e.leftLevel) / 32768.0f;
        right = float(e.rightLevel) / 32768.0f;
        return;
    }
    const SoundEnvelopePoint& a = *(after - 1);
    const SoundEnvelopePoint& b = *after;
    const double span = double(b.position44) - double(a.position44);
    const double t = span > 0 ? (position - double(a.position44)) / span : 1.0;
    left = float((a.leftLevel + (b.leftLevel - double(a.leftLevel)) * t) / 32768.0);
    right = float((a.rightLevel + (b.rightLevel - double(a.rightLevel)) * t) / 32768.0);
}

void EventSound::decodeAhead(size_t frames) {
    if (!started_) {
        started_ = true;
        if (!finished_ && !startLoop()) finish();
    }
    if (!finished_ && decoder_) decoder_->prefetch(size_t(std::clamp<int64_t>(end_ - position_, 0, int64_t(frames))));
}

bool EventSound::mixInto(int32_t* mix, size_t frames) {
    if (!started_) {
        started_ = true;
        if (!finished_ && !startLoop()) finish();
    }
    while (frames > 0 && !finished_) {
        const size_t room = size_t(std::clamp<int64_t>(end_ - position_, 0, int64_t(std::min<size_t>(frames, 4096))));
        size_t got = 0;
        if (room > 0) {
            scratch_.resize(room * kOutputChannels);
            got = decoder_->read(scratch_.data(), room);
        }
        if (got > 0) {
            heardThisLoop_ = true;
            for (size_t i = 0; i < got; ++i) {
                float left = 1.0f;
                float right = 1.0f;
                if (!info_.envelope.empty()) gainAt(double(position_ + int64_t(i)), left, right);
                mix[2 * i] += int32_t(float(scratch_[2 * i]) * left);
                mix[2 * i + 1] += int32_t(float(scratch_[2 * i + 1]) * right);
            }
            mix += got * kOutputChannels;
            frames -= got;
            position_ += int64_t(got);
        }
        if (got < room || room == 0) {
            // This loop is over. A loop that gave nothing would give nothing again: stop rather
            // than spin through thousands of empty loops.
            if (!heardThisLoop_ || !startLoop()) finish();
        }
    }
    published_.store(position_, std::memory_order_release);
    return !finished_;
}

}  // namespace velmora::swf
