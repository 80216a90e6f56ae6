// How a clip moves between frames: stepping, gotos and the loop back to the first frame.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <variant>

#include "swf/format/sound.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"

namespace velmora::swf {

namespace {

bool sameLabel(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

void startFrameSounds(const Clip& clip, const Frame& frame) {
    SoundEvents* sound = clip.movie().sound();
    if (!sound) return;
    for (const ControlTag& tag : frame.tags) {
        if (const auto* start = std::get_if<StartSound>(&tag)) {
            const Character* c = start->className.empty() ? clip.definitions().character(start->soundId) : nullptr;
            const auto* soundCharacter =
                c && c->kind == CharacterKind::Sound ? static_cast<const SoundCharacter*>(c) : nullptr;
            sound->startSoundFor(clip, *start, soundCharacter);
        }
    }
}

}  // namespace

void Clip::enterFirstFrame() {
    if (frameCount() == 0) return;
    currentFrame_ = 0;
    enterFrame(0, true);
    streamPlayIfAudible();
}

// Shows `frame`: its scripts are queued first (the parent's scripts run before those of the clips
// it places), then the display list is brought to the frame, then its event sounds start.
// Frames passed on the way (a goto across several) contribute their placements only.
void Clip::enterFrame(size_t frame, bool rebuildFromStart) {
    const auto& frames = timeline_.frames;
    movie_.queueFrameActions(*this, frames[frame]);
    PlacementPlan plan;
    size_t from = 0;
    if (!rebuildFromStart) {
        plan = planFromDisplayList(displayList_);
        from = currentFrame_ + 1;
    }
    for (size_t f = from; f <= frame; ++f) {
        // Classes (#initclip) of the symbols a frame exports exist before its scripts need them.
        for (const uint16_t sprite : frames[f].exports) movie_.queueInitActions(*this, sprite);
        applyFrameToPlan(plan, frames[f], definitions());
    }
    currentFrame_ = frame;
    reconcileDisplayList(*this, std::move(plan), rebuildFromStart ? Continuity::Rebuild : Continuity::Forward);
    startFrameSounds(*this, frames[frame]);
}

bool Clip::gotoFrame(size_t frame) {
    if (frameCount() == 0) return false;
    frame = std::min(frame, frameCount() - 1);
    if (frame == currentFrame_) return false;
    enterFrame(frame, frame < currentFrame_);
    streamPlayIfAudible();
    return true;
}

std::optional<size_t> Clip::frameOfLabel(const std::string& label) const {
    const auto& frames = timeline_.frames;
    for (size_t f = 0; f < frames.size(); ++f) {
        for (const std::string& l : frames[f].labels) {
            if (sameLabel(l, label)) return f;
        }
    }
    return std::nullopt;
}

bool Clip::gotoLabel(const std::string& label) {
    const auto frame = frameOfLabel(label);
    if (!frame) return false;
    gotoFrame(*frame);
    return true;
}

void Clip::nextFrame() {
    stop();
    if (currentFrame_ + 1 < frameCount()) gotoFrame(currentFrame_ + 1);
}

void Clip::prevFrame() {
    stop();
    if (currentFrame_ > 0) gotoFrame(currentFrame_ - 1);
}

void Clip::stepByClock() {
    // A timeline of one frame has nowhere to go: its frame is not entered again, so its scripts
    // run once, as authors expect of a single-frame clip.
    if (!playing_ || frameCount() <= 1) return;
    int steps = 1;
    if (timeline_.streamHead && movie_.sound()) {
        if (const auto position = movie_.sound()->streamPosition(*this); position && std::isfinite(*position)) {
            const double ahead = std::floor(*position) - static_cast<double>(currentFrame_);
            steps = static_cast<int>(std::clamp(ahead, 0.0, static_cast<double>(movie_.limits().maxCatchUpFrames)));
        }
    }
    for (int i = 0; i < steps && playing_; ++i) {
        if (currentFrame_ + 1 < frameCount()) {
            enterFrame(currentFrame_ + 1, false);
        } else if (loops()) {
            enterFrame(0, true);
            streamPlayIfAudible();
        } else {
            stop();
        }
    }
}

}  // namespace velmora::swf
