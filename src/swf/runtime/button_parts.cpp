#include "swf/runtime/button_parts.h"

#include <algorithm>
#include <string>

#include "swf/format/button.h"
#include "swf/format/sprite.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"

namespace velmora::swf {

namespace {

bool shownIn(const ButtonRecord& record, ButtonState state) {
    switch (state) {
        case ButtonState::Up: return record.up;
        case ButtonState::Over: return record.over;
        case ButtonState::Down: return record.down;
    }
    return false;
}

void place(DisplayObject& part, const ButtonRecord& record) {
    part.depth = record.depth;
    part.matrix = record.matrix;
    part.colorTransform = record.colorTransform;
    part.blendMode = record.blendMode;
    part.filters = record.filters;
}

// A new part for record, or nullptr (noted in the movie's diagnostics) when it cannot be shown.
std::unique_ptr<DisplayObject> makePart(Clip& owner, const ButtonCharacter& button, const ButtonRecord& record) {
    MovieInstance& movie = owner.movie();
    std::shared_ptr<const Character> character = owner.definitions().sharedCharacter(record.characterId);
    if (!character) {
        movie.report(DiagnosticRoom::Movie,
                     "button " + std::to_string(button.id) + " shows character " + std::to_string(record.characterId) +
                         ", which is missing: not shown",
                     "button shows a missing character");
        return nullptr;
    }
    if (!movie.reserveDisplayObject()) {
        movie.report(DiagnosticRoom::Movie,
                     "too many objects on stage: a part of button " + std::to_string(button.id) + " is not shown",
                     "too many objects on stage");
        return nullptr;
    }
    auto part = std::make_unique<DisplayObject>();
    part->character = std::move(character);
    place(*part, record);
    if (part->character->kind != CharacterKind::Sprite) return part;
    if (owner.nesting() + 1 > movie.limits().maxClipNesting) {
        movie.report(DiagnosticRoom::Movie,
                     "clips nested too deeply: sprite " + std::to_string(part->character->id) + " stands empty",
                     "clips nested too deeply");
        return part;
    }
    // The sprite's parent is the clip holding the button: a button has no timeline of its own
    // for scripts to address.
    const auto& sprite = static_cast<const SpriteCharacter&>(*part->character);
    part->clip = std::make_unique<Clip>(movie, sprite.timeline, &owner, part.get(), sprite.id, owner.nesting() + 1);
    movie.queueInitActions(owner, sprite.id);
    part->clip->enterFirstFrame();
    return part;
}

}  // namespace

ButtonParts::~ButtonParts() {
    // The parts' own clips release their objects as the list is destroyed after this body.
    movie_.releaseDisplayObjects(list_.size());
}

void showButtonState(Clip& owner, DisplayObject& button, ButtonState state) {
    button.buttonState = state;
    if (!button.character || button.character->kind != CharacterKind::Button) return;
    const auto& character = static_cast<const ButtonCharacter&>(*button.character);
    MovieInstance& movie = owner.movie();
    if (!button.buttonParts) button.buttonParts = std::make_unique<ButtonParts>(movie);
    ButtonParts& parts = *button.buttonParts;

    std::vector<size_t> shown;
    std::vector<bool> inState(character.records.size());
    for (size_t i = 0; i < character.records.size(); ++i) {
        inState[i] = shownIn(character.records[i], state);
        if (inState[i]) shown.push_back(i);
    }
    std::stable_sort(shown.begin(), shown.end(), [&](size_t a, size_t b) {
        return character.records[a].depth < character.records[b].depth;
    });
    if (shown.size() > size_t(UINT16_MAX) + 1) {
        for (size_t i = size_t(UINT16_MAX) + 1; i < shown.size(); ++i) inState[shown[i]] = false;
        shown.resize(size_t(UINT16_MAX) + 1);
    }

    // The parts of the old state, by record: kept where the new state shows the same record,
    // dropped (their streams silenced) before anything new is built, so that they free their room.
    std::vector<std::unique_ptr<DisplayObject>> old(character.records.size());
    for (auto& [key, part] : parts.list_) {
        if (key >= 0 && static_cast<size_t>(key) < parts.records_.size() && parts.records_[key] < old.size()) old[parts.records_[key]] = std::move(part);
    }
    const size_t before = parts.list_.size();
    parts.list_.clear();
    parts.records_.clear();
    size_t kept = 0;
    for (size_t i = 0; i < old.size(); ++i) {
        if (!old[i]) continue;
        if (inState[i]) {
            ++kept;
            continue;
        }
        if (old[i]->clip) silenceStreams(*old[i]->clip);
        old[i].reset();
    }
    movie.releaseDisplayObjects(before - kept);

    for (size_t index : shown) {
        const ButtonRecord& record = character.records[index];
        std::unique_ptr<DisplayObject> part = std::move(old[index]);
        if (part) {
            place(*part, record);
        } else {
            // A button showing itself is left out. Other buttons inside a button get no parts of
            // their own (the renderer draws them still), so nothing here recurses.
            if (owner.definitions().character(record.characterId) == button.character.get()) continue;
            part = makePart(owner, character, record);
            if (!part) continue;
        }
        parts.list_.emplace(static_cast<int32_t>(parts.records_.size()), std::move(part));
        parts.records_.push_back(index);
    }
    movie.noteChange();
}

}  // namespace velmora::swf
