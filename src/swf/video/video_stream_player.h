#pragma once

#include <QImage>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "swf/video/video_decoder.h"
#include "swf/video/video_track.h"

namespace velmora::swf {

// Reports something wrong with a video without stopping the movie; one sentence.
using VideoWarn = std::function<void(const std::string&)>;

// Shows one video stream at whatever frame its placement names. Moving one frame on decodes one
// frame; any other jump (a goto, a drag of the progress bar) decodes from the nearest keyframe
// before the target. The last pictures decoded are kept, so stepping back and forth is cheap. One
// call decodes at most VideoLimits::kMaxDecodesPerDraw frames: a longer way to the target shows
// the picture reached so far and goes on from there on the next call.
//
// A damaged frame keeps the last good picture on screen and is reported once per stream; a stream
// that cannot be decoded at all is reported once and shows nothing. The movie and stream must
// outlive the player.
class VideoStreamPlayer {
public:
    VideoStreamPlayer(const Movie& movie, const VideoStreamCharacter& stream);
    ~VideoStreamPlayer();

    // The picture for a placement with this ratio (the stream's frame number), or nullptr when
    // there is none to show. The pointer is valid until the next call.
    const QImage* frameAt(uint16_t ratio, const VideoWarn& warn);

    // Closes the decoder and forgets the pictures; the next frameAt starts afresh.
    void close();

    const VideoTrack& track() const { return track_; }
    // How many frames were decoded since the player was made: for tests and benchmarks.
    uint64_t decodedFrames() const { return decoded_; }

private:
    struct Cached {
        int index;
        QImage image;
    };
    const QImage* cached(int index);
    void keep(int index, const QImage& image);
    void decodeUpTo(int target, const VideoWarn& warn);

    const VideoStreamCharacter& stream_;
    const VideoTrack track_;
    std::unique_ptr<VideoDecoder> decoder_;
    bool unusable_ = false;        // the decoder would not open: reported, nothing shown
    bool damageReported_ = false;
    int next_ = 0;                 // the packet the decoder expects next
    std::list<Cached> cache_;      // most recently used first
    size_t cachedBytes_ = 0;
    QImage lastGood_;
    uint64_t decoded_ = 0;
};

}  // namespace velmora::swf
