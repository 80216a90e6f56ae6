#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/format/movie.h"
#include "swf/format/video.h"

namespace velmora::swf {

// One VideoFrame of a stream, as the movie stores it.
struct VideoPacket {
    uint16_t frameNum = 0;
    std::shared_ptr<const std::vector<uint8_t>> data;
    bool keyframe = false;
};

// The frames of one video stream, gathered from every timeline of the movie (the main one and the
// sprites'), in frame number order. A frame number given twice keeps its first data.
class VideoTrack {
public:
    VideoTrack(const Movie& movie, const VideoStreamCharacter& stream);

    const std::vector<VideoPacket>& packets() const { return packets_; }

    // The index of the packet a placement with this ratio shows: the last whose frame number is
    // not beyond it. -1 when every packet lies beyond it (nothing to show yet).
    int indexFor(uint16_t ratio) const;

    // The index of the last keyframe at or before index, or 0 when there is none: decoding from the
    // stream's start is then the best there is.
    int keyframeBefore(int index) const;

private:
    std::vector<VideoPacket> packets_;
};

}  // namespace velmora::swf
