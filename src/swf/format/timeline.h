#pragma once

#include <optional>
#include <string>
#include <vector>

#include "swf/format/control_tags.h"
#include "swf/format/sound.h"

namespace velmora::swf {

// The control tags of one frame, in file order, and the labels that name it.
struct Frame {
    std::vector<ControlTag> tags;
    std::vector<std::string> labels;  // FrameLabel, named anchors included
    // Characters this frame exports (ExportAssets): a sprite's DoInitAction code (in
    // Movie::initActions) runs before the scripts of the frame that first exports or places it.
    std::vector<uint16_t> exports;
};

// The frames of the main timeline or of a sprite. Its length is the number of ShowFrame tags the
// file really holds (a header's frame count is not trusted); tags after the last ShowFrame form
// no frame.
struct Timeline {
    std::vector<Frame> frames;
    std::optional<SoundStreamHead> streamHead;

    // The index of the first frame carrying label (compared without regard to ASCII case), or
    // nullopt.
    std::optional<size_t> findLabel(const std::string& label) const;
};

}  // namespace velmora::swf
