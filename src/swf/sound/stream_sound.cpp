#include "swf/sound/stream_sound.h"

#include <algorithm>
#include <cmath>

#include "swf/sound/output_format.h"

namespace velmora::swf {

StreamSound::StreamSound(std::shared_ptr<const StreamTrack> track, size_t frame)
    : track_(std::move(track)), start_(std::round(track_->frameStart(frame))) {
    position_ = start_;
    published_.store(position_, std::memory_order_release);
    if (track_->empty() || position_ >= track_->end()) finish();
}

void StreamSound::finish() {
    finished_ = true;
    finishedFlag_.store(true, std::memory_order_release);
}

void StreamSound::open() {
    opened_ = true;
    const double from = std::max(position_, 0.0);
    const size_t first = track_->decodeStartBlock(from);
    decoder_ = AudioDecoder::create(track_->format(), problem_);
    if (!decoder_ || first >= track_->blocks().size()) {
        finish();
        return;
    }
    for (size_t b = first; b < track_->blocks().size(); ++b) decoder_->push(track_->blocks()[b].payload());
    decoder_->close();
    skip_ = int64_t(std::llround(from - track_->blocks()[first].start));
}

bool StreamSound::mixInto(int32_t* mix, size_t frames) {
    while (frames > 0 && !finished_) {
        if (position_ < 0) {
            // Silent frames before the first block: only time passes.
            const size_t quiet = size_t(std::min<double>(double(frames), std::ceil(-position_)));
            position_ += double(quiet);
            mix += quiet * kOutputChannels;
            frames -= quiet;
            continue;
        }
        if (!opened_) open();
        if (finished_ || !skipLeadIn()) break;
        scratch_.resize(std::min<size_t>(frames, 4096) * kOutputChannels);
        const size_t got = decoder_->read(scratch_.data(), scratch_.size() / kOutputChannels);
        for (size_t i = 0; i < got * kOutputChannels; ++i) mix[i] += scratch_[i];
        mix += got * kOutputChannels;
        frames -= got;
        position_ += double(got);
        if (got < scratch_.size() / kOutputChannels) finish();
    }
    published_.store(position_, std::memory_order_release);
    return !finished_;
}

bool StreamSound::skipLeadIn() {
    while (skip_ > 0) {
        const size_t dropped = decoder_->read(nullptr, size_t(std::min<int64_t>(skip_, 8192)));
        if (dropped == 0) {
            finish();
            return false;
        }
        skip_ -= int64_t(dropped);
    }
    return true;
}

void StreamSound::decodeAhead(size_t frames) {
    // Silence before the first block needs no decoding; the decoder opens when it is near.
    if (finished_ || position_ + double(frames) < 0) return;
    if (!opened_) open();
    if (finished_ || !skipLeadIn()) return;
    decoder_->prefetch(frames);
}

}  // namespace velmora::swf
