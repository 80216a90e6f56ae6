// Selection: which clip, button or text field has the keyboard focus (a clip's onKeyDown and
// onKeyUp functions hear the keys; an input field takes the typing; Enter and Space press a
// button), and the selection in the focused field. Positions count UTF-16 units of the field's
// text.
#include <algorithm>
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/target_path.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf::script {

namespace {

// The field or button a path names ("_level0.form.answer", "/form/answer"): the clip the path
// leads to before its last name, and a field or button of that name on it.
DisplayObject* fieldAtPath(CallContext& cx, const std::string& path, Clip*& holder) {
    const size_t cut = path.find_last_of("./:");
    Clip& root = cx.vm.movie().root();
    holder = cut == std::string::npos ? &root : resolveTarget(root, path.substr(0, cut));
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (!holder || name.empty()) return nullptr;
    for (auto& [depth, object] : holder->displayList()) {
        const bool focusable = object->character && (object->character->kind == CharacterKind::EditText ||
                                                     object->character->kind == CharacterKind::Button);
        if (focusable && object->name == name) return object.get();
    }
    return nullptr;
}

// The focused field, clip or button's target path ("_level0.menu"), or null when none has the focus.
Value getFocus(CallContext& cx, const Value&, std::span<const Value>) {
    MovieInstance& movie = cx.vm.movie();
    if (DisplayObject* field = movie.focusedText()) {
        Clip* holder = clipHoldingField(movie.root(), *field);
        if (holder) return cx.stringValue(dotPath(*holder) + "." + field->name);
    }
    if (Clip* clip = movie.focus()) return cx.stringValue(dotPath(*clip));
    if (DisplayObject* button = movie.focusedButton()) return cx.stringValue(dotPath(*movie.focusedButtonOwner()) + "." + button->name);
    return Value::null();
}

// setFocus(clip, button or field, or its path): true when the focus moved there; null or undefined takes
// the focus away. Whatever names nothing leaves the focus where it was.
Value setFocus(CallContext& cx, const Value&, std::span<const Value> args) {
    MovieInstance& movie = cx.vm.movie();
    const Value target = arg(args, 0);
    if (target.isUndefined() || target.isNull()) {
        movie.setFocusedText(nullptr);
        movie.setFocus(nullptr);
        return Value::boolean(true);
    }
    if (auto* field = dynamic_cast<TextFieldObject*>(target.objectOrNull())) {
        if (!field->field()) return Value::boolean(false);
        movie.setFocusedText(field->field());
        return Value::boolean(true);
    }
    if (auto* button = dynamic_cast<ButtonObject*>(target.objectOrNull())) {
        if (!button->button()) return Value::boolean(false);
        movie.setFocusedButton(*button->owner(), *button->button());
        return Value::boolean(true);
    }
    Clip* clip = nullptr;
    if (auto* object = dynamic_cast<ClipObject*>(target.objectOrNull())) {
        clip = object->clip(cx.vm);
    } else if (!target.isObject()) {
        const std::string path = cx.toStdString(target);
        clip = resolveTarget(movie.root(), path);
        if (!clip) {
            Clip* holder = nullptr;
            if (DisplayObject* object = fieldAtPath(cx, path, holder)) {
                if (object->character->kind == CharacterKind::Button) movie.setFocusedButton(*holder, *object);
                else movie.setFocusedText(object);
                return Value::boolean(true);
            }
        }
    }
    if (!clip) return Value::boolean(false);
    movie.setFocus(clip);
    return Value::boolean(true);
}

// The focused field's selection: -1 when no field has the focus.
Value selectionPart(CallContext& cx, int part) {
    DisplayObject* field = cx.vm.movie().focusedText();
    if (!field) return Value::number(-1);
    const TextFieldState& state = field->ensureTextState();
    return Value::number(part == 0 ? state.selectionBegin : part == 1 ? state.selectionEnd : state.caret);
}
Value getBeginIndex(CallContext& cx, const Value&, std::span<const Value>) { return selectionPart(cx, 0); }
Value getEndIndex(CallContext& cx, const Value&, std::span<const Value>) { return selectionPart(cx, 1); }
Value getCaretIndex(CallContext& cx, const Value&, std::span<const Value>) { return selectionPart(cx, 2); }

// setSelection(begin, end): selects that part of the focused field's text, the caret at end;
// positions outside the text are taken to its nearest end.
Value setSelection(CallContext& cx, const Value&, std::span<const Value> args) {
    const double begin = cx.toNumber(arg(args, 0));
    const double end = cx.toNumber(arg(args, 1));
    MovieInstance& movie = cx.vm.movie();
    DisplayObject* field = movie.focusedText();
    if (!field || std::isnan(begin) || std::isnan(end)) return Value();
    const double length = utf16Length(fieldPlainText(movie, *field));
    const auto b = static_cast<int32_t>(std::clamp(begin, 0.0, length));
    const auto e = static_cast<int32_t>(std::clamp(end, 0.0, length));
    TextFieldState& state = field->ensureTextState();
    state.selectionBegin = std::min(b, e);
    state.selectionEnd = std::max(b, e);
    state.caret = e;
    movie.noteChange();
    return Value();
}

}  // namespace

void installSelection(Vm& vm) {
    Object* selection = vm.newObject();
    defineValue(vm, vm.global(), "Selection", Value::object(selection));
    defineMethods(vm, selection,
                  {{"getFocus", getFocus, 0},
                   {"setFocus", setFocus, 1},
                   {"getBeginIndex", getBeginIndex},
                   {"getEndIndex", getEndIndex},
                   {"getCaretIndex", getCaretIndex},
                   {"setSelection", setSelection, 2}});
    // Listeners as AsBroadcaster gives them; the focus moving calls broadcastMessage("onSetFocus").
    const Value broadcaster = vm.getMember(Value::object(vm.global()), vm.key("AsBroadcaster"));
    const Value initialize = vm.getMember(broadcaster, vm.key("initialize"));
    const Value target = Value::object(selection);
    vm.call(initialize, broadcaster, std::span<const Value>(&target, 1));
}

}  // namespace velmora::swf::script
