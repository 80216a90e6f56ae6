#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "swf/runtime/stream_media.h"

namespace velmora::swf {

class Mixer;

// Opens FLV and MP4 files for scripts' NetStreams: pictures through the video room's decoders, sound
// through the shared mixer. The mixer (may be null: streams play silently and keep time by the
// movie's clock) must outlive every media this opens.
class FlvMediaOpener final : public MediaServices {
public:
    explicit FlvMediaOpener(Mixer* mixer) : mixer_(mixer) {}
    std::unique_ptr<StreamMedia> openFlv(std::vector<uint8_t> bytes, std::string& error) override;

private:
    Mixer* const mixer_;
};

// The picture an FLV stream shows now, for the renderer: nullptr when media is not one this
// opener made, or it has shown no picture yet.
const QImage* flvPicture(const StreamMedia& media);

}  // namespace velmora::swf
