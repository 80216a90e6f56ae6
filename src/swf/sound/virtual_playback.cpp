#include "swf/sound/virtual_playback.h"

#include "swf/sound/output_format.h"

namespace velmora::swf {

VirtualPlayback::VirtualPlayback(std::shared_ptr<const Movie> movie, MovieInstance::Options options,
                                 size_t stepFrames)
    : channel_(mixer_, movie), stepFrames_(stepFrames == 0 ? 1 : stepFrames) {
    options.sound = &channel_;
    instance_ = std::make_unique<MovieInstance>(std::move(movie), options);
    noteRootProgress();
}

VirtualPlayback::~VirtualPlayback() {
    // The movie's clips tell the channel they stop as they go; let them while it still exists.
    instance_.reset();
}

void VirtualPlayback::noteRootProgress() {
    const Clip& root = instance_->root();
    if (!root.isPlaying() || root.frameCount() == 0 || root.currentFrame() + 1 >= root.frameCount()) rootFinished_ = true;
}

void VirtualPlayback::run(int64_t frames, std::vector<int16_t>* out) {
    step_.resize(stepFrames_ * kOutputChannels);
    for (int64_t done = 0; done < frames; done += int64_t(stepFrames_)) {
        mixer_.render(step_.data(), stepFrames_);
        mixer_.collectEnded();
        if (out != nullptr) out->insert(out->end(), step_.begin(), step_.end());
        instance_->advance(double(stepFrames_) / kOutputRate);
        noteRootProgress();
    }
}

bool VirtualPlayback::soundEnded() const { return rootFinished_ && mixer_.voiceCount() == 0; }

}  // namespace velmora::swf
