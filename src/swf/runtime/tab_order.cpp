// The movie's tab order: which buttons, clips and text fields Tab and Shift+Tab visit, and in
// what order.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/pointer_input.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/text_editing.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

namespace {

struct TabStop {
    Clip* holder;
    DisplayObject* object;
    std::optional<double> index;  // tabIndex, when a script set one
    double top;                   // stage pixels, whole
    double left;
};

bool isKind(const DisplayObject& object, CharacterKind kind) { return object.character && object.character->kind == kind; }

// The script object standing for a clip, button or field, when a script has reached it.
script::Object* scriptObjectOf(MovieInstance& movie, Clip& holder, DisplayObject& object) {
    if (!movie.runsScripts()) return nullptr;
    if (object.clip) return object.clip->scriptObject();
    if (isKind(object, CharacterKind::EditText)) return movie.vm().textFieldObject(holder, object, false);
    if (isKind(object, CharacterKind::Button)) return movie.vm().buttonObject(holder, object, false);
    return nullptr;
}

std::optional<script::Value> property(MovieInstance& movie, script::Object* self, const char* name) {
    if (!self) return std::nullopt;
    script::Vm& vm = movie.vm();
    script::Value v;
    if (!vm.lookupQuietly(script::Value::object(self), vm.key(name), v) || v.isUndefined()) return std::nullopt;
    return v;
}

// Buttons, clips acting as buttons and input fields take part unless a script says otherwise
// (tabEnabled); any object a script gave a tabIndex or set tabEnabled takes part. Hidden objects
// and masks do not, nor anything inside them or inside a clip whose tabChildren is false.
void collect(MovieInstance& movie, Clip& clip, std::vector<TabStop>& out) {
    for (auto& [depth, object] : clip.displayList()) {
        if (!object->visible || object->clipDepth != 0) continue;
        const bool field = isKind(*object, CharacterKind::EditText);
        const bool button = isKind(*object, CharacterKind::Button);
        if (!field && !button && !object->clip) continue;
        script::Object* self = scriptObjectOf(movie, clip, *object);
        const auto enabled = property(movie, self, "tabEnabled");
        const auto index = property(movie, self, "tabIndex");
        std::optional<double> tabIndex;
        if (index && index->isNumber() && std::isfinite(index->asNumber()) && index->asNumber() >= 0) tabIndex = index->asNumber();
        bool takes = false;
        if (enabled) takes = movie.vm().toBoolean(*enabled);
        else if (tabIndex) takes = true;
        else if (field) takes = !fieldSettings(*object).readOnly;
        else takes = answersLikeAButton(clip, *object);
        if (takes) {
            const auto box = stageBox(clip, *object);
            const double top = box ? std::round(box->yMin / 20.0) : 0.0;
            const double left = box ? std::round(box->xMin / 20.0) : 0.0;
            out.push_back({&clip, object.get(), tabIndex, top, left});
        }
        if (!object->clip || movie.hasLeftStage(*object->clip)) continue;
        const auto children = property(movie, self, "tabChildren");
        if (!children || movie.vm().toBoolean(*children)) collect(movie, *object->clip, out);
    }
}

}  // namespace

DisplayObject* MovieInstance::moveTabFocus(bool backward) {
    dropHiddenFocus();
    std::vector<TabStop> stops;
    collect(*this, *root_, stops);
    for (const auto& [n, level] : levels_) collect(*this, *level, stops);
    if (std::any_of(stops.begin(), stops.end(), [](const TabStop& s) { return s.index.has_value(); })) {
        std::erase_if(stops, [](const TabStop& s) { return !s.index.has_value(); });
        std::stable_sort(stops.begin(), stops.end(), [](const TabStop& a, const TabStop& b) { return *a.index < *b.index; });
    } else {
        // Top to bottom, and along a row left to right; the stage's order breaks ties.
        std::stable_sort(stops.begin(), stops.end(), [](const TabStop& a, const TabStop& b) {
            return a.top != b.top ? a.top < b.top : a.left < b.left;
        });
    }
    if (stops.empty()) return nullptr;
    const DisplayObject* current = textFocus_.get();
    if (!current) current = focusedButton();
    if (!current) {
        if (Clip* clip = focus()) current = clip->displayObject();
    }
    const auto at = std::find_if(stops.begin(), stops.end(), [&](const TabStop& s) { return s.object == current; });
    const size_t n = stops.size();
    size_t next = 0;
    if (at == stops.end()) next = backward ? n - 1 : 0;
    else next = (size_t(at - stops.begin()) + (backward ? n - 1 : 1)) % n;
    DisplayObject* target = stops[next].object;
    // The handlers the move runs may remove the target: it is looked for again by handle.
    if (target->clip) {
        const ClipHandle handle = target->clip->handle();
        setFocus(target->clip.get());
        if (!handle.get()) return nullptr;
    } else if (isKind(*target, CharacterKind::Button)) {
        const PlacedHandle handle(*stops[next].holder, *target);
        setFocusedButton(*stops[next].holder, *target);
        if (!handle.get()) return nullptr;
    } else {
        const TextFieldHandle handle = target->textHandle();
        setFocusedText(target);
        if (!handle.get()) return nullptr;
        // Tabbing into a field selects its text, so that typing replaces it.
        if (textFocus_.get() == target) {
            TextFieldState& state = target->ensureTextState();
            state.selectionBegin = 0;
            state.selectionEnd = utf16Length(fieldPlainText(*this, *target));
            state.caret = state.selectionEnd;
        }
    }
    setFocusFromKeyboard(true);
    return target;
}

}  // namespace velmora::swf
