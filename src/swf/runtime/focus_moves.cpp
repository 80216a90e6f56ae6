// The keyboard focus moving between clips, text fields and buttons: the side losing it and the
// side taking it hear of the move as it happens, then Selection's listeners.
#include <array>

#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/selection_listeners.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

namespace {

// self.name(other), when it is a function; `super` in it reaches above the object of self's
// prototype chain it was found on. A handler that throws or runs away is stopped and reported.
void tell(script::Vm& vm, const script::Value& self, const char* name, const script::Value& other) {
    if (!self.isObject()) return;
    script::Value handler;
    if (!vm.lookupQuietly(self, vm.key(name), handler) || !handler.isObject() || !handler.asObject()->asFunction()) return;
    script::Object* holder = nullptr;
    if (!vm.lookupWithHolder(self, vm.key(name), handler, holder, self)) return;
    const std::array<script::Value, 1> args{other};
    vm.callTopLevel(handler, self, args, holder);
}

}  // namespace

PlacedHandle::PlacedHandle(Clip& owner, DisplayObject& object)
    : owner_(owner.handle()), object_(&object), depth_(object.depth) {}

DisplayObject* PlacedHandle::get() const {
    Clip* owner = owner_.get();
    if (!owner || !object_) return nullptr;
    const auto it = owner->displayList().find(depth_);
    return it != owner->displayList().end() && it->second.get() == object_ ? object_ : nullptr;
}

bool shownOnStage(const Clip& holder, const DisplayObject& object) {
    if (!object.visible) return false;
    for (const Clip* c = &holder; c; c = c->parent()) {
        if (const DisplayObject* self = c->displayObject(); self && !self->visible) return false;
    }
    return true;
}

DisplayObject* MovieInstance::focusedButton() const {
    Clip* owner = buttonFocus_.owner();
    return owner && !hasLeftStage(*owner) ? buttonFocus_.get() : nullptr;
}

Clip* MovieInstance::focusedButtonOwner() const { return focusedButton() ? buttonFocus_.owner() : nullptr; }

void MovieInstance::setFocus(Clip* clip) { giveFocus(clip, nullptr, nullptr, nullptr); }

void MovieInstance::setFocusedText(DisplayObject* field) { giveFocus(nullptr, field, nullptr, nullptr); }

void MovieInstance::setFocusedButton(Clip& owner, DisplayObject& button) { giveFocus(nullptr, nullptr, &owner, &button); }

void MovieInstance::setFocusFromKeyboard(bool keyboard) {
    if (focusFromKeyboard_ == keyboard) return;
    focusFromKeyboard_ = keyboard;
    noteChange();
}

void MovieInstance::setFocusRectangles(bool shown) {
    if (focusRectangles_ == shown) return;
    focusRectangles_ = shown;
    noteChange();
}

void MovieInstance::giveFocus(Clip* clip, DisplayObject* field, Clip* buttonOwner, DisplayObject* button) {
    if (!button) buttonOwner = nullptr;
    if (clip == focus() && field == textFocus_.get() && button == focusedButton()) return;
    const ClipHandle nextClip = clip ? clip->handle() : ClipHandle();
    const TextFieldHandle nextField = field ? field->textHandle() : TextFieldHandle();
    const PlacedHandle nextButton = button && buttonOwner ? PlacedHandle(*buttonOwner, *button) : PlacedHandle();
    if (!runsScripts()) {
        focus_ = nextClip;
        textFocus_ = nextField;
        buttonFocus_ = nextButton;
        noteChange();
        return;
    }
    script::Vm& vm = *vm_;
    const script::Rooted before(vm.heap(), focusedObject(*this));
    focus_ = nextClip;
    textFocus_ = nextField;
    buttonFocus_ = nextButton;
    noteChange();
    const script::Rooted after(vm.heap(), focusedObject(*this));
    // Each side is told who the focus came from or goes to; the handlers run at once, so that a
    // script that moves the focus finds them done when its call returns. The losing side's
    // handler may move the focus on, or remove what was to take it: the new side hears of the
    // move only while it still holds the focus.
    tell(vm, before.get(), "onKillFocus", after.get());
    const script::Value now = focusedObject(*this);
    if (now.isObject() && now.objectOrNull() == after.get().objectOrNull()) tell(vm, now, "onSetFocus", before.get());
    tellSelectionListeners(*this, before.get());
}

void MovieInstance::dropHiddenFocus() {
    if (DisplayObject* button = focusedButton()) {
        if (!shownOnStage(*focusedButtonOwner(), *button)) giveFocus(nullptr, nullptr, nullptr, nullptr);
        return;
    }
    Clip* clip = focus();
    // A clip a script focused keeps the keys while hidden: movies hide a clip to catch keys with.
    if (!clip || !focusFromKeyboard_ || !clip->parent() || !clip->displayObject()) return;
    if (!shownOnStage(*clip->parent(), *clip->displayObject())) giveFocus(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace velmora::swf
