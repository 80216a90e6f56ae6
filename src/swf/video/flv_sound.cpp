#include "swf/video/flv_sound.h"

#include <algorithm>
#include <cmath>

#include "swf/sound/output_format.h"

namespace velmora::swf {

FlvSound::FlvSound(std::shared_ptr<const FlvSoundTrack> track, double fromSeconds)
    : track_(std::move(track)), from_(std::isfinite(fromSeconds) ? std::max(0.0, fromSeconds) : 0.0) {
    if (track_->packets.empty()) finish();
}

void FlvSound::finish() {
    finished_ = true;
    finishedFlag_.store(true, std::memory_order_release);
}

bool FlvSound::start() {
    decoder_ = track_->aac ? AudioDecoder::createAac(track_->config, problem_)
                           : AudioDecoder::create(track_->format, problem_);
    if (!decoder_) return false;
    const auto& packets = track_->packets;
    // The last packet that begins by the starting point; the part of it before that is skipped.
    auto first = std::upper_bound(packets.begin(), packets.end(), from_,
                                  [](double t, const FlvSoundTrack::Packet& p) { return t < p.time; });
    if (first != packets.begin()) --first;
    next_ = size_t(first - packets.begin());
    queueMore();
    const double lead = first->time - from_;
    if (lead > 0) {
        silence_ = std::llround(lead * kOutputRate);
    } else {
        for (int64_t skip = std::llround(-lead * kOutputRate); skip > 0;) {
            const size_t dropped = decoder_->read(nullptr, size_t(std::min<int64_t>(skip, 8192)));
            if (dropped == 0 && !queueMore()) break;
            skip -= int64_t(dropped);
        }
    }
    return true;
}

bool FlvSound::queueMore() {
    const auto& packets = track_->packets;
    if (next_ >= packets.size()) return false;
    // A batch at a time: an hour of sound is some 150,000 packets, too many to queue at once on
    // the audio thread.
    const size_t end = std::min(packets.size(), next_ + 64);
    for (; next_ < end; ++next_) decoder_->push(packets[next_].data);
    if (next_ == packets.size()) decoder_->close();
    return true;
}

void FlvSound::decodeAhead(size_t frames) {
    if (!started_) {
        started_ = true;
        if (!finished_ && !start()) finish();
    }
    if (!finished_ && decoder_) decoder_->prefetch(frames);
}

bool FlvSound::mixInto(int32_t* mix, size_t frames) {
    if (!started_) {
        started_ = true;
        if (!finished_ && !start()) finish();
    }
    if (!finished_ && silence_ > 0) {
        const size_t quiet = size_t(std::min<int64_t>(silence_, int64_t(frames)));
        silence_ -= int64_t(quiet);
        position_ += int64_t(quiet);
        mix += quiet * kOutputChannels;
        frames -= quiet;
    }
    while (frames > 0 && !finished_) {
        const size_t room = std::min<size_t>(frames, 4096);
        scratch_.resize(room * kOutputChannels);
        const size_t got = decoder_->read(scratch_.data(), room);
        for (size_t i = 0; i < got * kOutputChannels; ++i) mix[i] += scratch_[i];
        mix += got * kOutputChannels;
        frames -= got;
        position_ += int64_t(got);
        if (got < room && !queueMore()) finish();
    }
    published_.store(position_, std::memory_order_release);
    return !finished_;
}

}  // namespace velmora::swf
