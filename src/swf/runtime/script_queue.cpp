// The queue of frame scripts: filled as frames are entered, drained once the stage has settled.
#include <algorithm>
#include <string>
#include <variant>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/text_field_binding.h"

namespace velmora::swf {

void MovieInstance::queue(std::deque<QueuedScript>& into, Clip& target, const ActionBytes& actions) {
    if (!actions || actions->empty() || !runsScripts()) return;
    if (unloadScripts_.size() + initScripts_.size() + frameScripts_.size() >= options_.limits.maxQueuedScripts) {
        report(DiagnosticRoom::Script, "too many frame scripts waiting: a script was dropped");
        return;
    }
    into.push_back({target.handle(), actions, {}});
}

void MovieInstance::queueFrameActions(Clip& clip, const Frame& frame) {
    for (const ControlTag& tag : frame.tags) {
        if (const auto* action = std::get_if<DoAction>(&tag)) queue(frameScripts_, clip, action->actions);
    }
}

void MovieInstance::queueInitActions(uint16_t spriteId) { queueInitActions(*root_, spriteId); }

void MovieInstance::queueInitActions(Clip& from, uint16_t spriteId) {
    const Movie& movie = from.definitions();
    const auto it = movie.initActions.find(spriteId);
    if (it == movie.initActions.end() || !initActionsRun_.insert({&movie, spriteId}).second) return;
    // A loaded movie's class code runs on the clip it was loaded into, as its own root.
    Clip* target = &from;
    while (target->parent() && !target->holdsLoadedMovie()) target = target->parent();
    for (const ActionBytes& actions : it->second) queue(initScripts_, *target, actions);
}

void MovieInstance::runInitActionsNow(Clip& from, uint16_t spriteId) {
    const Movie& movie = from.definitions();
    const auto it = movie.initActions.find(spriteId);
    if (it == movie.initActions.end() || !runsScripts()) return;
    if (!initActionsRun_.insert({&movie, spriteId}).second) {
        const auto waiting = [&](const QueuedScript& queued) {
            return std::find(it->second.begin(), it->second.end(), queued.actions) != it->second.end();
        };
        if (std::erase_if(initScripts_, waiting) == 0) return;  // they have run
    }
    Clip* target = &from;
    while (target->parent() && !target->holdsLoadedMovie()) target = target->parent();
    for (const ActionBytes& actions : it->second) vm_->runBlock(actions, *target);
}

void MovieInstance::queueClipEvent(Clip& clip, uint32_t events) {
    const DisplayObject* self = clip.displayObject();
    if (!self) return;
    for (const ClipAction& handler : self->clipActions) {
        if (handler.events & events) queue(frameScripts_, clip, handler.actions);
    }
}

void MovieInstance::queueScript(Clip& clip, const ActionBytes& actions) { queue(frameScripts_, clip, actions); }

void MovieInstance::queueConstructor(Clip& clip) {
    if (!runsScripts() || initScripts_.size() + frameScripts_.size() >= options_.limits.maxQueuedScripts) return;
    // With the class code: before any frame script, the parent's included, reaches the clip.
    initScripts_.push_back({clip.handle(), nullptr, {}, true});
}

void MovieInstance::queueInitializeEvents(Clip& clip) {
    const DisplayObject* self = clip.displayObject();
    if (!self || !runsScripts()) return;
    for (const uint32_t event : {uint32_t(kClipEventConstruct), uint32_t(kClipEventInitialize)}) {
        for (const ClipAction& handler : self->clipActions) {
            if (handler.events & event) queue(initScripts_, clip, handler.actions);
        }
    }
}

bool MovieInstance::hasHandler(Clip& clip, const std::string& name) {
    if (!runsScripts() || !clip.scriptObject()) return false;
    script::Vm& vm = *vm_;
    script::Value handler;
    if (!vm.lookupQuietly(script::Value::object(clip.scriptObject()), vm.key(name), handler)) return false;
    return handler.isObject() && handler.asObject()->asFunction();
}

bool MovieInstance::queueHandler(Clip& clip, const std::string& name) {
    if (!hasHandler(clip, name)) return false;
    if (initScripts_.size() + frameScripts_.size() >= options_.limits.maxQueuedScripts) return false;
    frameScripts_.push_back({clip.handle(), nullptr, name});
    return true;
}

void MovieInstance::queueLoadHandler(Clip& clip) {
    if (!runsScripts() || initScripts_.size() + frameScripts_.size() >= options_.limits.maxQueuedScripts) return;
    frameScripts_.push_back({clip.handle(), nullptr, "onLoad"});
}

std::optional<std::string> MovieInstance::variableText(Clip& clip, const std::string& name) {
    script::Vm& vm = *vm_;
    script::ClipObject* object = vm.clipObject(clip);
    script::String* key = vm.key(name);
    if (!vm.ownProperty(object, key)) return std::nullopt;
    return vm.toString(vm.ownProperty(object, key)->value)->text();
}

void MovieInstance::setVariableText(Clip& clip, const std::string& name, const std::string& text) {
    script::Vm& vm = *vm_;
    vm.setMember(script::Value::object(vm.clipObject(clip)), vm.key(name),
                 script::Value::string(vm.heap().string(text)), vm.name(name));
}

namespace {

constexpr struct {
    uint32_t event;
    const char* function;
} kInputFunctions[] = {
    {kClipEventMouseMove, "onMouseMove"},
    {kClipEventMouseDown, "onMouseDown"},
    {kClipEventMouseUp, "onMouseUp"},
    {kClipEventKeyDown, "onKeyDown"},
    {kClipEventKeyUp, "onKeyUp"},
};

const char* inputFunction(uint32_t event) {
    for (const auto& f : kInputFunctions) {
        if (f.event == event) return f.function;
    }
    return nullptr;
}

}  // namespace

void MovieInstance::dispatchInputEvent(uint32_t event) {
    const char* function = inputFunction(event);
    const bool keyEvent = event == kClipEventKeyDown || event == kClipEventKeyUp;
    // Gathered first: the handlers may change the display lists they were found in.
    std::vector<ClipHandle> clips;
    auto collect = [&](auto& self, Clip& clip) -> void {
        bool wanted = false;
        if (const DisplayObject* object = clip.displayObject()) {
            for (const ClipAction& handler : object->clipActions) wanted = wanted || (handler.events & event);
        }
        if (!wanted && function && !keyEvent) wanted = hasHandler(clip, function);
        if (wanted) clips.push_back(clip.handle());
        for (auto& [depth, object] : clip.displayList()) {
            if (object->clip) self(self, *object->clip);
        }
    };
    collect(collect, *root_);
    for (const auto& [n, level] : levels_) collect(collect, *level);
    for (const ClipHandle& handle : clips) {
        Clip* clip = handle.get();
        if (!clip) continue;
        queueClipEvent(*clip, event);
        if (function && !keyEvent) queueHandler(*clip, function);
    }
    // Keys go to the clip that has the focus, after every clip's onClipEvent handler.
    if (function && keyEvent) {
        if (Clip* focused = focus()) queueHandler(*focused, function);
    }
    runPendingActions();
}

void MovieInstance::runPendingActions() {
    // A script's goto lands here again through the component or a clip; the outer drain picks up
    // what it queued.
    if (runningScripts_) return;
    runningScripts_ = true;
    size_t ran = 0;
    while (!unloadScripts_.empty() || !initScripts_.empty() || !frameScripts_.empty()) {
        if (++ran > options_.limits.maxScriptsPerDrain) {
            addMessage("scripts stopped: the frame scripts keep queueing each other and do not come to an end; "
                       "this frame's remaining scripts were dropped");
            unloadScripts_.clear();
            initScripts_.clear();
            frameScripts_.clear();
            break;
        }
        // Clips that left the stage say goodbye before the scripts of the frame that removed them.
        const bool unload = !unloadScripts_.empty();
        auto& from = unload ? unloadScripts_ : !initScripts_.empty() ? initScripts_ : frameScripts_;
        QueuedScript script = std::move(from.front());
        from.pop_front();
        Clip* clip = script.target.get();
        if (!clip) continue;  // removed by an earlier script's goto
        if (!unload && hasLeftStage(*clip)) continue;  // only its unload handlers run now
        // Each queued script is a run of its own: one that runs away is stopped alone.
        if (script.construct) {
            script::runClipConstructor(*vm_, *clip);
        } else if (script.handler.empty()) {
            vm_->runBlock(script.actions, *clip);
        } else if (clip->scriptObject()) {  // a clip no script has reached has no handler to call
            vm_->callHandler(*clip, script.handler);
        }
        vm_->safePoint();
    }
    runningScripts_ = false;
    // Every unload handler has run: the clips that waited for them go.
    departedClips_.clear();
    std::vector<std::unique_ptr<DisplayObject>> gone = std::move(departed_);
    departed_.clear();
    gone.clear();
    // Scripts may have changed what bound text fields show (and new fields may have appeared).
    if (runsScripts()) {
        syncBoundTextFields(*root_);
        for (const auto& [n, level] : levels_) syncBoundTextFields(*level);
    }
}

}  // namespace velmora::swf
