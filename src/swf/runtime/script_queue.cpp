// The queue of frame scripts: filled as frames are entered, drained once the stage has settled.
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
    if (initScripts_.size() + frameScripts_.size() >= options_.limits.maxQueuedScripts) {
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

void MovieInstance::queueInitActions(uint16_t spriteId) {
    const auto it = movie_->initActions.find(spriteId);
    if (it == movie_->initActions.end() || !initActionsRun_.insert(spriteId).second) return;
    for (const ActionBytes& actions : it->second) queue(initScripts_, *root_, actions);
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

bool MovieInstance::hasHandler(Clip& clip, const std::string& name) {
    if (!runsScripts() || !clip.scriptObject()) return false;
    script::Vm& vm = *vm_;
    script::Value handler;
    if (!vm.lookup(script::Value::object(clip.scriptObject()), vm.key(name), handler)) return false;
    return handler.isObject() && handler.asObject()->asFunction();
}

bool MovieInstance::queueHandler(Clip& clip, const std::string& name) {
    if (!hasHandler(clip, name)) return false;
    if (initScripts_.size() + frameScripts_.size() >= options_.limits.maxQueuedScripts) return false;
    frameScripts_.push_back({clip.handle(), nullptr, name});
    return true;
}

std::optional<std::string> MovieInstance::variableText(Clip& clip, const std::string& name) {
    script::Vm& vm = *vm_;
    script::ClipObject* object = vm.clipObject(clip);
    script::String* key = vm.key(name);
    if (!object->findOwn(key)) return std::nullopt;
    return vm.toString(object->findOwn(key)->value)->text();
}

void MovieInstance::setVariableText(Clip& clip, const std::string& name, const std::string& text) {
    script::Vm& vm = *vm_;
    vm.setMember(script::Value::object(vm.clipObject(clip)), vm.key(name),
                 script::Value::string(vm.heap().string(text)), vm.name(name));
}

namespace {

void collectHandlers(Clip& clip, uint32_t event, std::vector<ClipHandle>& out) {
    if (const DisplayObject* self = clip.displayObject()) {
        for (const ClipAction& handler : self->clipActions) {
            if (handler.events & event) {
                out.push_back(clip.handle());
                break;
            }
        }
    }
    for (auto& [depth, object] : clip.displayList()) {
        if (object->clip) collectHandlers(*object->clip, event, out);
    }
}

}  // namespace

void MovieInstance::dispatchInputEvent(uint32_t event) {
    std::vector<ClipHandle> clips;
    collectHandlers(*root_, event, clips);
    for (const ClipHandle& handle : clips) {
        if (Clip* clip = handle.get()) queueClipEvent(*clip, event);
    }
    runPendingActions();
}

void MovieInstance::runPendingActions() {
    // A script's goto lands here again through the component or a clip; the outer drain picks up
    // what it queued.
    if (runningScripts_) return;
    runningScripts_ = true;
    size_t ran = 0;
    while (!initScripts_.empty() || !frameScripts_.empty()) {
        if (++ran > options_.limits.maxScriptsPerDrain) {
            addMessage("scripts stopped: the frame scripts keep queueing each other and do not come to an end; "
                       "this frame's remaining scripts were dropped");
            initScripts_.clear();
            frameScripts_.clear();
            break;
        }
        auto& from = !initScripts_.empty() ? initScripts_ : frameScripts_;
        QueuedScript script = std::move(from.front());
        from.pop_front();
        Clip* clip = script.target.get();
        if (!clip) continue;  // removed by an earlier script's goto
        // Each queued script is a run of its own: one that runs away is stopped alone.
        if (script.construct) {
            script::runClipConstructor(*vm_, *clip);
        } else if (script.handler.empty()) {
            vm_->runBlock(script.actions, *clip);
        } else {
            vm_->callHandler(*clip, script.handler);
        }
        vm_->safePoint();
    }
    runningScripts_ = false;
    // Scripts may have changed what bound text fields show (and new fields may have appeared).
    if (runsScripts()) syncBoundTextFields(*root_);
}

}  // namespace velmora::swf
