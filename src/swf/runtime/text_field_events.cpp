// Text fields and the movie: the user's edits and scrolling reaching the movie's scripts.
#include <array>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/text_editing.h"
#include "swf/runtime/text_field_binding.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

namespace {

script::Value fieldValue(MovieInstance& movie, DisplayObject* field) {
    if (!field) return script::Value::null();
    Clip* owner = clipHoldingField(movie.root(), *field);
    return owner ? script::Value::object(movie.vm().textFieldObject(*owner, *field)) : script::Value::null();
}

// Calls self[name](args) when it is a function; a handler that throws or runs away is stopped
// and reported, as any top-level script is.
void callIfFunction(script::Vm& vm, const script::Value& self, const char* name, std::span<const script::Value> args) {
    script::Value fn;
    if (!vm.lookupQuietly(self, vm.key(name), fn) || !fn.isObject() || !fn.asObject()->asFunction()) return;
    vm.callTopLevel(fn, self, args);
}

// The field's own handler, then its listeners' (addListener), each given the field.
void tellFieldAndListeners(MovieInstance& movie, DisplayObject& field, const char* name) {
    const script::Value self = fieldValue(movie, &field);
    if (!self.isObject()) return;
    script::Vm& vm = movie.vm();
    const std::array<script::Value, 1> args{self};
    callIfFunction(vm, self, name, args);
    script::Value list;
    if (!vm.lookupQuietly(self, vm.key("_listeners"), list) || !list.isObject() || !list.asObject()->asArray()) return;
    // A copy: a listener may remove itself, or others, while it is told.
    const std::vector<script::Value> listeners = list.asObject()->asArray()->elements();
    script::ArrayObject* keep = vm.newArray();
    keep->elements() = listeners;
    script::Rooted root(vm.heap(), script::Value::object(keep));
    for (const script::Value& listener : listeners) callIfFunction(vm, listener, name, args);
}

}  // namespace

Clip* clipHoldingField(Clip& root, const DisplayObject& field) {
    for (auto& [depth, object] : root.displayList()) {
        if (object.get() == &field) return &root;
        if (object->clip) {
            if (Clip* found = clipHoldingField(*object->clip, field)) return found;
        }
    }
    return nullptr;
}

void MovieInstance::textEdited(DisplayObject& field) {
    noteChange();
    Clip* holder = clipHoldingField(*root_, field);
    if (!holder) return;
    const TextFieldHandle handle = field.textHandle();
    fitAutoSize(*this, field);
    writeBoundVariable(*holder, field);
    if (!runsScripts()) return;
    tellFieldAndListeners(*this, field, "onChanged");
    if (handle.get()) runPendingActions();
}

void noteFieldScrolled(MovieInstance& movie, DisplayObject& field) {
    movie.noteChange();
    if (!movie.runsScripts() || !clipHoldingField(movie.root(), field)) return;
    const TextFieldHandle handle = field.textHandle();
    tellFieldAndListeners(movie, field, "onScroller");
    if (handle.get()) movie.runPendingActions();
}

}  // namespace velmora::swf
