#pragma once

#include <memory>

namespace velmora::swf {

class Clip;

// A reference to a clip that notices when the clip is gone. Scripts and queued frame actions hold
// these, since a goto may remove the very clip a script was about to address.
class ClipHandle {
public:
    ClipHandle() = default;
    ClipHandle(Clip* clip, std::weak_ptr<const void> life) : clip_(clip), life_(std::move(life)) {}

    // The clip, or nullptr once it has been removed from the stage (or for an empty handle).
    Clip* get() const { return life_.expired() ? nullptr : clip_; }
    bool operator==(const ClipHandle& other) const { return get() == other.get(); }

private:
    Clip* clip_ = nullptr;
    std::weak_ptr<const void> life_;
};

}  // namespace velmora::swf
