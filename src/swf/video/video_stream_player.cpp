#include "swf/video/video_stream_player.h"

#include <algorithm>

#include "swf/video/video_limits.h"

namespace velmora::swf {

VideoStreamPlayer::VideoStreamPlayer(const Movie& movie, const VideoStreamCharacter& stream)
    : stream_(stream), track_(movie, stream) {}

VideoStreamPlayer::~VideoStreamPlayer() = default;

void VideoStreamPlayer::close() {
    decoder_.reset();
    next_ = 0;
    cache_.clear();
    cachedBytes_ = 0;
    lastGood_ = QImage();
}

const QImage* VideoStreamPlayer::cached(int index) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->index != index) continue;
        cache_.splice(cache_.begin(), cache_, it);
        return &cache_.front().image;
    }
    return nullptr;
}

void VideoStreamPlayer::keep(int index, const QImage& image) {
    const auto bytes = size_t(image.sizeInBytes());
    if (bytes > VideoLimits::kMaxCachedBytes) return;
    while (!cache_.empty() &&
           (cache_.size() >= VideoLimits::kMaxCachedFrames || cachedBytes_ + bytes > VideoLimits::kMaxCachedBytes)) {
        cachedBytes_ -= size_t(cache_.back().image.sizeInBytes());
        cache_.pop_back();
    }
    cache_.push_front({index, image});
    cachedBytes_ += bytes;
}

const QImage* VideoStreamPlayer::frameAt(uint16_t ratio, const VideoWarn& warn) {
    if (unusable_ || stream_.codec == VideoStreamCharacter::Codec::None) return nullptr;
    const int target = track_.indexFor(ratio);
    if (target < 0) return nullptr;
    if (const QImage* image = cached(target)) return image;
    if (!decoder_) {
        std::string error;
        decoder_ = VideoDecoder::open(stream_, error);
        if (!decoder_) {
            unusable_ = true;
            warn("video " + std::to_string(stream_.id) + " is not shown: " + error);
            return nullptr;
        }
        next_ = 0;
    }
    decodeUpTo(target, warn);
    if (const QImage* image = cached(target)) return image;
    return lastGood_.isNull() ? nullptr : &lastGood_;
}

void VideoStreamPlayer::decodeUpTo(int target, const VideoWarn& warn) {
    // Carry on from where the decoder stands when that is on the way to the target and no nearer
    // keyframe lies between; otherwise start over at the keyframe.
    const int keyframe = track_.keyframeBefore(target);
    int start = next_;
    if (next_ <= keyframe || next_ > target) {
        decoder_->reset();
        start = keyframe;
    }
    const int end = std::min(target, start + VideoLimits::kMaxDecodesPerDraw - 1);
    for (int i = start; i <= end; ++i) {
        const VideoPacket& packet = track_.packets()[size_t(i)];
        VideoDecoder::Result result = decoder_->decode(*packet.data, packet.keyframe);
        ++decoded_;
        next_ = i + 1;
        if (!result.ok()) {
            if (!damageReported_) {
                damageReported_ = true;
                warn("video " + std::to_string(stream_.id) + " frame " + std::to_string(packet.frameNum) +
                     " is damaged (" + result.error + "); the last good picture stays on screen");
            }
            continue;
        }
        lastGood_ = result.image;
        keep(i, result.image);
    }
}

}  // namespace velmora::swf
