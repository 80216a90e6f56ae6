#pragma once

#include <QImage>
#include <cstdint>
#include <list>
#include <memory>

#include "swf/format/movie.h"
#include "swf/video/video_stream_player.h"

namespace velmora::swf {

// The video streams of one movie as a renderer draws them: one player per stream, made when the
// stream is first drawn. At most VideoLimits::kMaxOpenStreams keep a decoder open; the least
// recently drawn beyond that is closed and starts from its keyframe when drawn again. One per
// renderer; not shared between threads.
class VideoFrames {
public:
    // Switches to another movie, closing every stream of the last one. The movie is kept alive by
    // this object while it is set.
    void setMovie(std::shared_ptr<const Movie> movie);

    // The picture a placement of stream with this ratio shows, or nullptr when it shows nothing
    // (codec None, no frame yet, or a stream that cannot be decoded, reported once through warn).
    // The pointer is valid until the next call. stream must belong to the movie set.
    const QImage* frame(const VideoStreamCharacter& stream, uint16_t ratio, const VideoWarn& warn);

    // Closes every stream.
    void clear() { players_.clear(); }

    // The player of a stream already drawn, or nullptr: for tests and benchmarks.
    const VideoStreamPlayer* player(uint16_t streamId) const;

private:
    struct Entry {
        uint16_t id;
        std::unique_ptr<VideoStreamPlayer> player;
    };
    std::shared_ptr<const Movie> movie_;
    std::list<Entry> players_;  // most recently drawn first
};

}  // namespace velmora::swf
