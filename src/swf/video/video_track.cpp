#include "swf/video/video_track.h"

#include <algorithm>

#include "swf/format/sprite.h"
#include "swf/video/video_packet.h"

namespace velmora::swf {

namespace {

void gather(const Timeline& timeline, uint16_t streamId, std::vector<VideoPacket>& out) {
    for (const Frame& frame : timeline.frames)
        for (const ControlTag& tag : frame.tags)
            if (const auto* video = std::get_if<VideoFrame>(&tag); video && video->streamId == streamId && video->data)
                out.push_back({video->frameNum, video->data, false});
}

}  // namespace

VideoTrack::VideoTrack(const Movie& movie, const VideoStreamCharacter& stream) {
    gather(movie.root, stream.id, packets_);
    for (const auto& [id, character] : movie.dictionary)
        if (character && character->kind == CharacterKind::Sprite)
            gather(static_cast<const SpriteCharacter&>(*character).timeline, stream.id, packets_);
    std::stable_sort(packets_.begin(), packets_.end(),
                     [](const VideoPacket& a, const VideoPacket& b) { return a.frameNum < b.frameNum; });
    packets_.erase(std::unique(packets_.begin(), packets_.end(),
                               [](const VideoPacket& a, const VideoPacket& b) { return a.frameNum == b.frameNum; }),
                   packets_.end());
    for (VideoPacket& p : packets_) p.keyframe = isVideoKeyframe(stream.codec, *p.data);
}

int VideoTrack::indexFor(uint16_t ratio) const {
    auto after = std::upper_bound(packets_.begin(), packets_.end(), ratio,
                                  [](uint16_t r, const VideoPacket& p) { return r < p.frameNum; });
    return int(after - packets_.begin()) - 1;
}

int VideoTrack::keyframeBefore(int index) const {
    for (int i = index; i > 0; --i)
        if (packets_[size_t(i)].keyframe) return i;
    return 0;
}

}  // namespace velmora::swf
