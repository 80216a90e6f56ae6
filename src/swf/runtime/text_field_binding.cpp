#include "swf/runtime/text_field_binding.h"

#include "swf/format/text.h"
#include "swf/format/text_encoding.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/target_path.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

namespace {

// The clip that holds a bound variable, and the variable's own name.
std::pair<Clip*, std::string> owner(Clip& field, const std::string& name) {
    if (const size_t colon = name.rfind(':'); colon != std::string::npos) {
        return {resolveTarget(field, name.substr(0, colon)), name.substr(colon + 1)};
    }
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        return {resolveTarget(field, name.substr(0, dot)), name.substr(dot + 1)};
    }
    return {&field, name};
}

void syncList(Clip& clip, int version) {
    for (auto& [depth, object] : clip.displayList()) {
        if (object->clip) {
            syncList(*object->clip, version);
            continue;
        }
        if (!object->character || object->character->kind != CharacterKind::EditText) continue;
        const auto& field = static_cast<const EditTextCharacter&>(*object->character);
        if (field.variableName.empty()) continue;
        auto [holder, name] = owner(clip, field.variableName);
        if (!holder || name.empty()) continue;
        MovieInstance& movie = clip.movie();
        std::optional<std::string> value = movie.variableText(*holder, name);
        if (!value) {
            // The field's first text is the variable's first value, in the engine's UTF-8.
            value = toUtf8(field.initialText, static_cast<uint8_t>(version));
            movie.setVariableText(*holder, name, *value);
        }
        std::string text = std::move(*value);
        if (text != object->text) {
            object->text = std::move(text);
            clip.movie().noteChange();
            fitAutoSize(movie, *object);
        }
    }
}

}  // namespace

void syncBoundTextFields(Clip& clip) { syncList(clip, clip.definitions().version); }

void writeBoundVariable(Clip& holder, DisplayObject& field) {
    if (!field.character || field.character->kind != CharacterKind::EditText) return;
    const auto& settings = static_cast<const EditTextCharacter&>(*field.character);
    if (settings.variableName.empty()) return;
    auto [clip, name] = owner(holder, settings.variableName);
    if (clip && !name.empty()) holder.movie().setVariableText(*clip, name, field.text);
}

}  // namespace velmora::swf

namespace velmora::swf {

void bindField(Clip& holder, DisplayObject& field) {
    if (!field.character || field.character->kind != CharacterKind::EditText) return;
    const auto& settings = static_cast<const EditTextCharacter&>(*field.character);
    if (settings.variableName.empty()) return;
    auto [clip, name] = owner(holder, settings.variableName);
    if (!clip || name.empty()) return;
    MovieInstance& movie = holder.movie();
    if (std::optional<std::string> value = movie.variableText(*clip, name)) {
        setFieldContent(movie, field, std::move(*value));
    } else {
        movie.setVariableText(*clip, name, field.text);
    }
}

}  // namespace velmora::swf
