// Undo and redo of the user's edits: each step keeps only what it changed, so that a long text
// costs little more than the typing done in it.
#include "swf/runtime/text_edit_history.h"

#include <algorithm>
#include <functional>

namespace velmora::swf {

namespace {

size_t hashOf(std::u16string_view text) { return std::hash<std::u16string_view>{}(text); }

void restoreMarks(const std::u16string& text, TextFieldState& state, const EditMarks& marks) {
    state.selectionBegin = marks.selectionBegin;
    state.selectionEnd = marks.selectionEnd;
    state.caret = marks.caret;
    clampState(text, state);
}

}  // namespace

EditMarks marksOf(const TextFieldState& state) { return {state.selectionBegin, state.selectionEnd, state.caret}; }

EditHistory& historyOf(DisplayObject& field) {
    TextFieldState& state = field.ensureTextState();
    if (!state.history) state.history = std::make_shared<EditHistory>();
    return *state.history;
}

bool EditHistory::current(std::u16string_view text) const {
    return text.size() == shownLength_ && hashOf(text) == shownHash_;
}

void EditHistory::settle(std::u16string_view shown) {
    shownHash_ = hashOf(shown);
    shownLength_ = shown.size();
}

bool EditHistory::joins(const Step& last, const Step& next) const {
    if (sealed_ || last.kind != next.kind || next.before.caret != last.after.caret) return false;
    switch (next.kind) {
    case EditKind::Typing:
        // Typing over a selection starts a step; typing on from it joins that step.
        return next.removed.empty() && next.at == last.at + int32_t(last.inserted.size());
    case EditKind::DeleteBackward: return next.inserted.empty() && next.at + int32_t(next.removed.size()) == last.at;
    case EditKind::DeleteForward: return next.inserted.empty() && next.at == last.at;
    case EditKind::Other: return false;
    }
    return false;
}

void EditHistory::record(std::u16string_view before, const EditMarks& from, std::u16string_view after,
                         const EditMarks& to, EditKind kind) {
    if ((!undo_.empty() || !redo_.empty()) && !current(before)) {
        undo_.clear();
        units_ = 0;
        sealed_ = true;
    }
    redo_.clear();
    // The change as one replacement: what lies between the common start and the common end. A
    // user's edit starts where the selection (or the caret) does, which places it among equal
    // neighbours ("b" typed between "a" and "b") where it was made.
    size_t head = 0;
    const size_t shorter = std::min(before.size(), after.size());
    const size_t limit = size_t(std::clamp(std::min(from.selectionBegin, to.selectionBegin), 0, int32_t(shorter)));
    while (head < limit && before[head] == after[head]) ++head;
    size_t tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) ++tail;
    Step step;
    step.at = int32_t(head);
    step.removed = std::u16string(before.substr(head, before.size() - head - tail));
    step.inserted = std::u16string(after.substr(head, after.size() - head - tail));
    step.before = from;
    step.after = to;
    step.kind = kind;
    if (step.removed.empty() && step.inserted.empty()) return;
    if (!undo_.empty() && joins(undo_.back(), step)) {
        Step& last = undo_.back();
        units_ += step.removed.size() + step.inserted.size();
        if (kind == EditKind::Typing) last.inserted += step.inserted;
        else if (kind == EditKind::DeleteBackward) {
            last.removed = step.removed + last.removed;
            last.at = step.at;
        } else {
            last.removed += step.removed;
        }
        last.after = to;
    } else {
        units_ += step.removed.size() + step.inserted.size();
        undo_.push_back(std::move(step));
    }
    sealed_ = false;
    trim();
}

void EditHistory::trim() {
    while (undo_.size() > 1 && (undo_.size() > kMaxSteps || units_ > kMaxUnits)) {
        units_ -= undo_.front().removed.size() + undo_.front().inserted.size();
        undo_.pop_front();
    }
}

bool EditHistory::apply(std::u16string& text, TextFieldState& state, bool backward) {
    std::deque<Step>& from = backward ? undo_ : redo_;
    std::deque<Step>& to = backward ? redo_ : undo_;
    if (from.empty()) return false;
    if (!current(text)) {
        undo_.clear();
        redo_.clear();
        units_ = 0;
        return false;
    }
    Step step = std::move(from.back());
    from.pop_back();
    const std::u16string& out = backward ? step.inserted : step.removed;
    const std::u16string& in = backward ? step.removed : step.inserted;
    const size_t at = std::min(size_t(std::max(step.at, 0)), text.size());
    text.replace(at, std::min(out.size(), text.size() - at), in);
    restoreMarks(text, state, backward ? step.before : step.after);
    to.push_back(std::move(step));
    // What follows an undo or redo never joins the step it brought back.
    sealed_ = true;
    return true;
}

bool EditHistory::undo(std::u16string& text, TextFieldState& state) { return apply(text, state, true); }
bool EditHistory::redo(std::u16string& text, TextFieldState& state) { return apply(text, state, false); }

void finishUserEdit(MovieInstance& movie, DisplayObject& field, const std::u16string& before, const EditMarks& from,
                    const std::u16string& after, EditKind kind) {
    const uint8_t version = movieVersion(movie);
    setFieldText(field, after, version);
    // Held: the movie's handlers may take the field away while they hear of the edit.
    const std::shared_ptr<EditHistory> history = (historyOf(field), field.textState->history);
    history->record(before, from, after, marksOf(*field.textState), kind);
    history->settle(fieldText(field, version));
    noteFieldChange(movie, field, true);
}

namespace {

bool stepEdit(MovieInstance& movie, DisplayObject& field, bool backward) {
    if (!editTextOf(field) || !field.textState || !field.textState->history) return false;
    const std::shared_ptr<EditHistory> history = field.textState->history;
    const uint8_t version = movieVersion(movie);
    std::u16string text = fieldText(field, version);
    TextFieldState& state = *field.textState;
    if (!(backward ? history->undo(text, state) : history->redo(text, state))) return false;
    setFieldText(field, text, version);
    history->settle(fieldText(field, version));
    noteFieldChange(movie, field, true);
    return true;
}

bool canStep(const MovieInstance& movie, const DisplayObject& field, bool backward) {
    if (!editTextOf(field) || !field.textState || !field.textState->history) return false;
    const std::u16string text = fieldText(field, movieVersion(movie));
    return backward ? field.textState->history->canUndo(text) : field.textState->history->canRedo(text);
}

}  // namespace

bool undoEdit(MovieInstance& movie, DisplayObject& field) { return stepEdit(movie, field, true); }
bool redoEdit(MovieInstance& movie, DisplayObject& field) { return stepEdit(movie, field, false); }
bool canUndoEdit(const MovieInstance& movie, const DisplayObject& field) { return canStep(movie, field, true); }
bool canRedoEdit(const MovieInstance& movie, const DisplayObject& field) { return canStep(movie, field, false); }

}  // namespace velmora::swf
