// The clock that steps a movie: real time in, frame ticks out.
#include <algorithm>
#include <cmath>
#include <vector>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/movie_loads.h"
#include "swf/runtime/script/net_streams.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf {

double MovieInstance::frameRate() const {
    const double rate = movie_->frameRate;
    if (!std::isfinite(rate) || rate <= 0.0) return options_.frameCap > 0.0 ? options_.frameCap : 60.0;
    return rate;
}

void MovieInstance::advance(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0.0) return;
    const double interval = 1.0 / frameRate();
    clockBacklog_ += seconds;
    // The tiny allowance keeps sums like 0.25 + 0.05 from missing a frame by a rounding error.
    double due = std::floor(clockBacklog_ / interval + 1e-9);
    const double cap = options_.limits.maxCatchUpFrames > 0 ? options_.limits.maxCatchUpFrames : 1;
    if (due > cap) {
        // A stall (a modal dialog, a suspended machine): play on from here rather than race.
        due = cap;
        clockBacklog_ = 0.0;
    } else {
        clockBacklog_ = std::max(0.0, clockBacklog_ - due * interval);
    }
    for (int i = 0; i < static_cast<int>(due); ++i) tick();
}

double MovieInstance::secondsToNextTick() const { return std::max(0.0, 1.0 / frameRate() - clockBacklog_); }

bool MovieInstance::clipNeedsTicks(Clip& clip) {
    if (clip.isPlaying() && clip.frameCount() > 1) return true;
    if (hasHandler(clip, "onEnterFrame")) return true;
    for (const auto& [depth, object] : clip.displayList()) {
        if (object->buttonParts) {
            // Sprites inside a button's current state step with the clock as well.
            for (const auto& [key, part] : object->buttonParts->list()) {
                if (part->clip && clipNeedsTicks(*part->clip)) return true;
            }
        }
        if (!object->clip) continue;
        for (const ClipAction& handler : object->clipActions) {
            if (handler.events & kClipEventEnterFrame) return true;
        }
        if (clipNeedsTicks(*object->clip)) return true;
    }
    return false;
}

bool MovieInstance::needsTicks() {
    // Intervals and timeouts fire between frames, so a movie waiting on one needs its clock too.
    if (runsScripts() && (vm_->hasTimers() || fileLoads_->pending() || movieLoads_->pending() || netStreams_->busy())) {
        return true;
    }
    if (clipNeedsTicks(*root_)) return true;
    for (const auto& [n, level] : levels_) {
        if (clipNeedsTicks(*level)) return true;
    }
    return false;
}

void MovieInstance::tick() {
    ++ticks_;
    // Enter-frame handlers run before the scripts of the frames this tick enters, as the language
    // reference describes both onClipEvent(enterFrame) and onEnterFrame: so they are all queued
    // before any clip steps.
    // Levels run in their numbers' order, as one stage.
    std::vector<ClipHandle> levels{root_->handle()};
    for (const auto& [n, level] : levels_) levels.push_back(level->handle());
    for (const ClipHandle& level : levels) {
        if (Clip* c = level.get()) queueEnterFrame(*c);
    }
    for (const ClipHandle& level : levels) {
        if (Clip* c = level.get()) tickClip(*c);
    }
    runPendingActions();
    // Timers fire between frames, on the movie's own clock.
    if (runsScripts()) {
        vm_->runTimers(movieClockMilliseconds());
        runPendingActions();
        // Files asked for during the last frame arrive between frames, as loaded files do.
        if (fileLoads_->pending()) {
            fileLoads_->deliver();
            runPendingActions();
        }
        if (movieLoads_->pending()) {
            movieLoads_->deliver();
            runPendingActions();
        }
        // Video streams move on by the movie's frame, or by their sound, and tell their scripts.
        netStreams_->tick(1.0 / frameRate());
        runPendingActions();
    }
}

namespace {

// The clips a tick steps inside clip: its sprites and those its buttons show, in ascending depth.
std::vector<ClipHandle> steppedChildren(Clip& clip) {
    std::vector<ClipHandle> children;
    for (auto& [depth, object] : clip.displayList()) {
        if (object->clip) children.push_back(object->clip->handle());
        // The sprites a button shows step in the button's place.
        if (object->buttonParts) {
            for (const auto& [key, part] : object->buttonParts->list()) {
                if (part->clip) children.push_back(part->clip->handle());
            }
        }
    }
    return children;
}

}  // namespace

// In the order frames run (below); each clip's onClipEvent handler, then its function.
void MovieInstance::queueEnterFrame(Clip& clip) {
    if (clip.bornTick() != ticks_) {
        queueClipEvent(clip, kClipEventEnterFrame);
        queueHandler(clip, "onEnterFrame");
    }
    for (const ClipHandle& child : steppedChildren(clip)) {
        if (Clip* c = child.get()) queueEnterFrame(*c);
    }
}

// Depth first, the clip before its children, children in ascending depth: the order in which
// frames are entered and therefore the order in which their scripts run. A clip placed during this
// tick has just shown its first frame and moves on the next tick.
void MovieInstance::tickClip(Clip& clip) {
    if (clip.bornTick() != ticks_) clip.stepByClock();
    for (const ClipHandle& child : steppedChildren(clip)) {
        if (Clip* c = child.get()) tickClip(*c);
    }
}

}  // namespace velmora::swf
