// Clip events that are not tied to a frame: clips leaving the stage, focus, arriving data and
// the pointer's visibility.
#include <algorithm>

#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

bool hasClipEvent(const Clip& clip, uint32_t event) {
    const DisplayObject* self = clip.displayObject();
    if (!self) return false;
    return std::any_of(self->clipActions.begin(), self->clipActions.end(),
                       [event](const ClipAction& a) { return (a.events & event) != 0; });
}

}  // namespace

void MovieInstance::queueUnload(Clip& clip) {
    if (hasClipEvent(clip, kClipEventUnload)) {
        for (const ClipAction& handler : clip.displayObject()->clipActions) {
            if ((handler.events & kClipEventUnload) && handler.actions && !handler.actions->empty() &&
                unloadScripts_.size() + frameScripts_.size() + initScripts_.size() < options_.limits.maxQueuedScripts) {
                unloadScripts_.push_back({clip.handle(), handler.actions, {}});
            }
        }
    }
    if (hasHandler(clip, "onUnload")) unloadScripts_.push_back({clip.handle(), nullptr, "onUnload"});
    for (auto& [depth, object] : clip.displayList()) {
        if (object->clip) queueUnload(*object->clip);
    }
}

void MovieInstance::objectLeftStage(std::unique_ptr<DisplayObject> object) {
    if (!object || !object->clip || !runsScripts()) return;
    const size_t before = unloadScripts_.size();
    queueUnload(*object->clip);
    // While one clip waits for its handlers, every clip that leaves stays too: a clip that left
    // earlier may be inside it, and its handlers still reach up through _parent.
    if (unloadScripts_.size() == before && departed_.empty()) return;
    departedClips_.insert(object->clip.get());
    departed_.push_back(std::move(object));
}

bool MovieInstance::hasLeftStage(const Clip& clip) const {
    if (departedClips_.empty()) return false;
    for (const Clip* c = &clip; c; c = c->parent()) {
        if (departedClips_.count(c)) return true;
    }
    return false;
}

void MovieInstance::dataArrived(Clip& clip) {
    queueClipEvent(clip, kClipEventData);
    queueHandler(clip, "onData");
    runPendingActions();
}

Clip* MovieInstance::focus() const {
    Clip* clip = focus_.get();
    return clip && !hasLeftStage(*clip) ? clip : nullptr;
}

void MovieInstance::setPointerHidden(bool hidden) {
    if (pointerHidden_ == hidden) return;
    pointerHidden_ = hidden;
    noteChange();
}

}  // namespace velmora::swf
