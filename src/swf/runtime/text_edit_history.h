#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "swf/runtime/text_editing.h"

namespace velmora::swf {

// Undo and redo of what the user did to a field's text. Scripts' changes are not steps: a script
// that gives the field new text makes that text the history's new start.

// How steps group: a run of typing, or of deleting one way, is undone at once, as text editors do;
// anything else (a paste, a cut, deleting a selection) is a step of its own.
enum class EditKind { Typing, DeleteBackward, DeleteForward, Other };

// Where the caret and the selection were.
struct EditMarks {
    int32_t selectionBegin = 0;
    int32_t selectionEnd = 0;
    int32_t caret = 0;
};

class EditHistory {
public:
    // The user turned `before` into `after`, the marks going from `from` to `to`. Forgets what
    // could be redone; forgets everything first when `before` is not the text the history last
    // left (a script changed it in between).
    void record(std::u16string_view before, const EditMarks& from, std::u16string_view after, const EditMarks& to,
                EditKind kind);
    // The next step starts afresh rather than joining a run of typing or deleting.
    void seal() { sealed_ = true; }
    // Takes text one step back (undo) or forward (redo), with the caret and selection it had.
    // False, changing nothing, when there is no such step or text is not what the history last
    // left; in the latter case the history is forgotten.
    bool undo(std::u16string& text, TextFieldState& state);
    bool redo(std::u16string& text, TextFieldState& state);
    // The field's text as it reads after an edit or undo was given to it: what a later step must
    // start from.
    void settle(std::u16string_view shown);
    bool canUndo(std::u16string_view text) const { return !undo_.empty() && current(text); }
    bool canRedo(std::u16string_view text) const { return !redo_.empty() && current(text); }

    // Kept at most: older steps go first.
    static constexpr size_t kMaxSteps = 100;
    static constexpr size_t kMaxUnits = size_t(1) << 20;  // UTF-16 units over all steps

private:
    struct Step {
        int32_t at = 0;
        std::u16string removed;
        std::u16string inserted;
        EditMarks before;
        EditMarks after;
        EditKind kind = EditKind::Other;
    };
    bool current(std::u16string_view text) const;
    bool joins(const Step& last, const Step& next) const;
    bool apply(std::u16string& text, TextFieldState& state, bool backward);
    void trim();

    std::deque<Step> undo_;
    std::deque<Step> redo_;
    size_t units_ = 0;
    size_t shownHash_ = 0;
    size_t shownLength_ = 0;
    bool sealed_ = true;
};

EditMarks marksOf(const TextFieldState& state);
// The field's history, made on first use.
EditHistory& historyOf(DisplayObject& field);

// A user's edit of field, as editField makes it, kept as a step of kind for undo.
template <typename Op>
bool userEdit(MovieInstance& movie, DisplayObject& field, EditKind kind, Op&& op);
// Undoes or redoes the user's last step in field. The movie hears of it as of typing (onChanged,
// a bound variable). Returns whether the text changed.
bool undoEdit(MovieInstance& movie, DisplayObject& field);
bool redoEdit(MovieInstance& movie, DisplayObject& field);
// Whether undoEdit / redoEdit would do anything now.
bool canUndoEdit(const MovieInstance& movie, const DisplayObject& field);
bool canRedoEdit(const MovieInstance& movie, const DisplayObject& field);

// For userEdit, kept out of the template: gives field its new text, keeps the step and tells the
// movie.
void finishUserEdit(MovieInstance& movie, DisplayObject& field, const std::u16string& before, const EditMarks& from,
                    const std::u16string& after, EditKind kind);

template <typename Op>
bool userEdit(MovieInstance& movie, DisplayObject& field, EditKind kind, Op&& op) {
    const uint8_t version = movieVersion(movie);
    std::u16string text = fieldText(field, version);
    TextFieldState& state = field.ensureTextState();
    clampState(text, state);
    const std::u16string before = text;
    const EditMarks from = marksOf(state);
    const bool changed = op(text, state);
    if (changed) {
        finishUserEdit(movie, field, before, from, text, kind);
    } else {
        const EditMarks to = marksOf(state);
        if (to.caret != from.caret || to.selectionBegin != from.selectionBegin || to.selectionEnd != from.selectionEnd)
            noteFieldChange(movie, field, false);
    }
    return changed;
}

}  // namespace velmora::swf
