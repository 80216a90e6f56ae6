// Text fields and the movie: the keyboard focus moving to and from fields, the tab order, and
// the user's edits reaching the movie's scripts.
#include <algorithm>
#include <array>
#include <optional>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/selection_listeners.h"
#include "swf/runtime/text_editing.h"
#include "swf/runtime/text_field_binding.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

namespace {

bool isField(const DisplayObject& object) {
    return object.character && object.character->kind == CharacterKind::EditText;
}

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

// A script property of the object standing for a field or a clip, when a script has reached it.
std::optional<script::Value> scriptProperty(MovieInstance& movie, Clip& holder, DisplayObject& object,
                                            const char* name) {
    script::Vm& vm = movie.vm();
    script::Object* o = nullptr;
    if (object.clip) o = vm.clipObject(*object.clip);
    else if (isField(object)) o = vm.textFieldObject(holder, object, false);
    script::Value v;
    if (!o || !vm.lookupQuietly(script::Value::object(o), vm.key(name), v) || v.isUndefined()) return std::nullopt;
    return v;
}

struct TabStop {
    DisplayObject* object;
    std::optional<double> index;
};

void collectTabStops(MovieInstance& movie, Clip& clip, std::vector<TabStop>& out) {
    for (auto& [depth, object] : clip.displayList()) {
        if (!object->visible) continue;
        const bool field = isField(*object);
        if (!field && !object->clip) continue;
        const auto enabled = scriptProperty(movie, clip, *object, "tabEnabled");
        const auto index = scriptProperty(movie, clip, *object, "tabIndex");
        std::optional<double> tabIndex;
        if (index && index->isNumber() && index->asNumber() >= 0) tabIndex = index->asNumber();
        bool takes = false;
        if (enabled) takes = movie.vm().toBoolean(*enabled);
        else takes = tabIndex.has_value() || (field && !fieldSettings(*object).readOnly);
        if (takes) out.push_back({object.get(), tabIndex});
        if (object->clip && !movie.hasLeftStage(*object->clip)) collectTabStops(movie, *object->clip, out);
    }
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

void MovieInstance::loseTextFocus(Clip* to) {
    DisplayObject* old = textFocus_.get();
    textFocus_ = {};
    if (!old) return;
    noteChange();
    if (!runsScripts()) return;
    const script::Value self = fieldValue(*this, old);
    if (!self.isObject()) return;
    const std::array<script::Value, 1> args{to ? script::Value::object(vm_->clipObject(*to)) : script::Value::null()};
    callIfFunction(*vm_, self, "onKillFocus", args);
}

void MovieInstance::setFocusedText(DisplayObject* field) {
    DisplayObject* old = textFocus_.get();
    if (old == field) return;
    if (!runsScripts()) {
        if (field) focus_ = {};
        textFocus_ = field ? field->textHandle() : TextFieldHandle();
        noteChange();
        return;
    }
    script::Vm& vm = *vm_;
    const script::Rooted before(vm.heap(), focusedObject(*this));
    // Each side hears who the focus came from or goes to, as it moves; a handler may remove
    // either field, so both are held by handle across the handlers.
    const TextFieldHandle next = field ? field->textHandle() : TextFieldHandle();
    const script::Value nextValue = fieldValue(*this, field);
    script::Value from = fieldValue(*this, old);
    if (field) {
        if (Clip* clip = focus()) {
            from = script::Value::object(vm.clipObject(*clip));
            focus_ = {};
            const std::array<script::Value, 1> args{nextValue};
            callIfFunction(vm, from, "onKillFocus", args);
        }
    }
    const TextFieldHandle oldHandle = textFocus_;
    textFocus_ = next;
    noteChange();
    if (oldHandle.get()) {
        const std::array<script::Value, 1> args{nextValue};
        callIfFunction(vm, fieldValue(*this, oldHandle.get()), "onKillFocus", args);
    }
    if (DisplayObject* now = next.get(); now && textFocus_.get() == now) {
        const std::array<script::Value, 1> args{from};
        callIfFunction(vm, fieldValue(*this, now), "onSetFocus", args);
    }
    tellSelectionListeners(*this, before.get());
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

DisplayObject* MovieInstance::moveTabFocus(bool backward) {
    std::vector<TabStop> stops;
    if (runsScripts()) collectTabStops(*this, *root_, stops);
    else {
        // No script marks anything: the input fields, in stage order.
        std::vector<Clip*> pending{root_.get()};
        while (!pending.empty()) {
            Clip* c = pending.back();
            pending.pop_back();
            for (auto& [depth, object] : c->displayList()) {
                if (isField(*object) && object->visible && !fieldSettings(*object).readOnly) stops.push_back({object.get(), {}});
                if (object->clip) pending.push_back(object->clip.get());
            }
        }
    }
    if (std::any_of(stops.begin(), stops.end(), [](const TabStop& s) { return s.index.has_value(); })) {
        std::erase_if(stops, [](const TabStop& s) { return !s.index.has_value(); });
        std::stable_sort(stops.begin(), stops.end(), [](const TabStop& a, const TabStop& b) { return *a.index < *b.index; });
    }
    if (stops.empty()) return nullptr;
    DisplayObject* current = textFocus_.get();
    if (!current) {
        if (Clip* clip = focus()) current = clip->displayObject();
    }
    const auto at = std::find_if(stops.begin(), stops.end(), [&](const TabStop& s) { return s.object == current; });
    size_t next = 0;
    const size_t n = stops.size();
    if (at == stops.end()) next = backward ? n - 1 : 0;
    else next = (size_t(at - stops.begin()) + (backward ? n - 1 : 1)) % n;
    DisplayObject* target = stops[next].object;
    if (target->clip) {
        setFocus(target->clip.get());
    } else {
        setFocusedText(target);
        // Tabbing into a field selects its text, so that typing replaces it.
        if (textFocus_.get() == target) {
            TextFieldState& state = target->ensureTextState();
            state.selectionBegin = 0;
            state.selectionEnd = utf16Length(fieldPlainText(*this, *target));
            state.caret = state.selectionEnd;
        }
    }
    return target;
}

}  // namespace velmora::swf
