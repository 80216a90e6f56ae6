#include "swf/video/video_frames.h"

#include "swf/video/video_limits.h"

namespace velmora::swf {

void VideoFrames::setMovie(std::shared_ptr<const Movie> movie) {
    if (movie == movie_) return;
    players_.clear();
    movie_ = std::move(movie);
}

const QImage* VideoFrames::frame(const VideoStreamCharacter& stream, uint16_t ratio, const VideoWarn& warn) {
    if (!movie_ || stream.codec == VideoStreamCharacter::Codec::None) return nullptr;
    auto it = players_.begin();
    while (it != players_.end() && it->id != stream.id) ++it;
    if (it != players_.end()) {
        players_.splice(players_.begin(), players_, it);
    } else {
        players_.push_front({stream.id, std::make_unique<VideoStreamPlayer>(*movie_, stream)});
    }
    // Closed, not forgotten: a closed player keeps its frame index and its reports.
    size_t rank = 0;
    for (Entry& e : players_)
        if (++rank > VideoLimits::kMaxOpenStreams) e.player->close();
    return players_.front().player->frameAt(ratio, warn);
}

const VideoStreamPlayer* VideoFrames::player(uint16_t streamId) const {
    for (const Entry& e : players_)
        if (e.id == streamId) return e.player.get();
    return nullptr;
}

}  // namespace velmora::swf
