// Typing into the movie's text fields: keys and input methods to the focused input field, the
// clipboard, the mouse placing the caret and selecting, the wheel scrolling a field.
#include <algorithm>
#include <optional>

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>

#include "platform/player/player_state.h"
#include "swf/render/edit_text.h"
#include "swf/render/field_carets.h"
#include "swf/runtime/clip_geometry.h"
#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/text_edit_history.h"
#include "swf/runtime/text_editing.h"

namespace velmora {

namespace {

QTransform toQt(const swf::Matrix& m) { return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty); }

std::u16string toU16(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())); }
QString toQString(const std::u16string& s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }

struct TextFieldHit {
    swf::DisplayObject* field = nullptr;
    QPointF local;  // the point in the field's twips
};

// The topmost visible text field under the stage point, with the point in its own twips.
void findFieldAt(const swf::Clip& clip, QPointF stagePoint, TextFieldHit& hit) {
    const QTransform toStage = toQt(swf::stageMatrix(clip));
    for (const auto& [depth, object] : clip.displayList()) {
        if (!object->visible || object->clipDepth != 0) continue;
        if (object->clip) {
            findFieldAt(*object->clip, stagePoint, hit);
            continue;
        }
        const swf::EditTextCharacter* field = swf::editTextOf(*object);
        if (!field) continue;
        bool invertible = false;
        const QTransform toLocal = (toQt(object->matrix) * toStage).inverted(&invertible);
        if (!invertible) continue;
        const QPointF local = toLocal.map(stagePoint);
        if (swf::toQRectF(field->bounds).contains(local)) hit = {object.get(), local};
    }
}

// The clip whose display list holds object, or nullptr.
const swf::Clip* holderOf(const swf::Clip& clip, const swf::DisplayObject* object) {
    for (const auto& [depth, child] : clip.displayList()) {
        if (child.get() == object) return &clip;
        if (child->clip)
            if (const swf::Clip* found = holderOf(*child->clip, object)) return found;
    }
    return nullptr;
}

// The field's text box inside its gutter, twips.
QRectF textBox(const swf::EditTextCharacter& field) {
    return swf::toQRectF(field.bounds).adjusted(swf::kFieldGutter, swf::kFieldGutter, -swf::kFieldGutter, -swf::kFieldGutter);
}

// The topmost field under a point of the widget seen through `view`; none where the view
// cannot be undone (a stage scaled to nothing).
TextFieldHit fieldHitAt(const swf::MovieInstance& movie, const QTransform& view, QPointF widgetPoint) {
    TextFieldHit hit;
    bool invertible = false;
    const QPointF stagePoint = view.inverted(&invertible).map(widgetPoint);
    if (invertible) findFieldAt(movie.root(), stagePoint, hit);
    return hit;
}

}  // namespace

swf::DisplayObject* SwfPlayerWidget::focusedInputField() const {
    if (!state_->instance) return nullptr;
    swf::DisplayObject* field = state_->instance->focusedText();
    return field && swf::isInputField(*field) ? field : nullptr;
}

const swf::TextGeometry& SwfPlayerWidget::fieldLayout(const swf::DisplayObject& field) {
    state_->renderResources.setMovie(state_->instance->sharedMovie());
    const auto& character = *swf::editTextOf(field);
    return swf::fieldGeometry(character, swf::shownFieldContent(character, &field, state_->instance->movie().version),
                              state_->renderResources);
}

bool SwfPlayerWidget::focusNextPrevChild(bool next) {
    // A movie with nothing to tab to lets the window move its own focus on, as usual.
    if (state_->instance && state_->instance->moveTabFocus(!next)) {
        updateInputMethod();
        revealFocusedCaret();
        redrawAll();
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void SwfPlayerWidget::revealFocusedCaret() {
    swf::DisplayObject* field = state_->instance ? state_->instance->focusedText() : nullptr;
    if (!field || !field->textState) return;
    const QRectF box = textBox(*swf::editTextOf(*field));
    swf::TextFieldState& s = *field->textState;
    const int32_t scroll = s.scroll;
    const int32_t hscroll = s.hscroll;
    swf::revealCaret(fieldLayout(*field), s, box.left(), box.width(), box.height());
    // The user's keys and drags scroll the field as much as the wheel does: its scripts hear it.
    if (s.scroll != scroll || s.hscroll != hscroll) swf::noteFieldScrolled(*state_->instance, *field);
}

namespace {

// The editing commands a key stands for, in any field that can be selected.
std::optional<SwfPlayerWidget::FieldCommand> commandOf(const QKeyEvent& event) {
    using C = SwfPlayerWidget::FieldCommand;
    if (event.matches(QKeySequence::Undo)) return C::Undo;
    if (event.matches(QKeySequence::Redo)) return C::Redo;
    // Both redo chords, whichever the desktop names.
    const Qt::KeyboardModifiers mods = event.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event.key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) return C::Redo;
    if (event.key() == Qt::Key_Y && mods == Qt::ControlModifier) return C::Redo;
    if (event.matches(QKeySequence::Copy)) return C::Copy;
    if (event.matches(QKeySequence::Cut)) return C::Cut;
    if (event.matches(QKeySequence::Paste)) return C::Paste;
    if (event.matches(QKeySequence::SelectAll)) return C::SelectAll;
    return std::nullopt;
}

}  // namespace

swf::DisplayObject* SwfPlayerWidget::focusedSelectableField() const {
    if (!state_->instance) return nullptr;
    swf::DisplayObject* field = state_->instance->focusedText();
    return field && swf::isSelectableField(*field) ? field : nullptr;
}

bool SwfPlayerWidget::fieldTakesKey(const QKeyEvent& event) const {
    // Enter and Space press the movie's focused button: kept from the window's default button and
    // shortcuts, as a field's typing is.
    const bool pressKey = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter || event.key() == Qt::Key_Space;
    if (pressKey && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && state_->instance &&
        swf::focusTakesPress(*state_->instance)) {
        return true;
    }
    // A field that only shows its text still copies it and selects it all.
    if (!focusedInputField()) {
        const std::optional<FieldCommand> command = focusedSelectableField() ? commandOf(event) : std::nullopt;
        return command == FieldCommand::Copy || command == FieldCommand::SelectAll;
    }
    // The editing shortcuts, and everything that types or moves: the field's. Other chords with
    // Ctrl or Alt (open, quit, full screen) stay the window's.
    if (commandOf(event)) return true;
    const Qt::KeyboardModifiers chord = event.modifiers() & (Qt::AltModifier | Qt::MetaModifier);
    if (chord) return false;
    switch (event.key()) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Home: case Qt::Key_End:
    case Qt::Key_Backspace: case Qt::Key_Delete: case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Escape:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Insert:
        return true;
    default: break;
    }
    if (event.modifiers() & Qt::ControlModifier) return false;
    const QString text = event.text();
    return !text.isEmpty() && text[0] >= QChar(0x20);
}

bool SwfPlayerWidget::fieldCommand(FieldCommand command, bool run) {
    swf::MovieInstance* movie = state_->instance.get();
    swf::DisplayObject* field = focusedSelectableField();
    if (!movie || !field) return false;
    const bool input = swf::isInputField(*field);
    // A password field's text is not let out.
    const bool secret = swf::editTextOf(*field)->password;
    std::u16string text = swf::fieldText(*field, movie->movie().version);
    swf::TextFieldState& seen = field->ensureTextState();
    swf::clampState(text, seen);
    const bool selected = seen.selectionBegin != seen.selectionEnd;
    QClipboard* clipboard = QGuiApplication::clipboard();
    bool possible = false;
    switch (command) {
    case FieldCommand::Undo: possible = input && swf::canUndoEdit(*movie, *field); break;
    case FieldCommand::Redo: possible = input && swf::canRedoEdit(*movie, *field); break;
    case FieldCommand::Cut: possible = input && selected && !secret; break;
    case FieldCommand::Copy: possible = selected && !secret; break;
    case FieldCommand::Paste: possible = input && !clipboard->text().isEmpty(); break;
    case FieldCommand::Delete: possible = input && selected; break;
    case FieldCommand::SelectAll: possible = !text.empty(); break;
    }
    if (!run || !possible) return possible;
    switch (command) {
    case FieldCommand::Undo: swf::undoEdit(*movie, *field); break;
    case FieldCommand::Redo: swf::redoEdit(*movie, *field); break;
    case FieldCommand::Copy: clipboard->setText(toQString(swf::selectedText(text, seen))); break;
    case FieldCommand::Cut:
        clipboard->setText(toQString(swf::selectedText(text, seen)));
        [[fallthrough]];
    case FieldCommand::Delete:
        swf::userEdit(*movie, *field, swf::EditKind::Other, [&](std::u16string& t, swf::TextFieldState& s) {
            return swf::deleteText(t, s, true, false);
        });
        break;
    case FieldCommand::Paste: {
        const std::u16string pasted = toU16(clipboard->text());
        const swf::EditRules rules = swf::editRulesOf(*field);
        swf::userEdit(*movie, *field, swf::EditKind::Other, [&](std::u16string& t, swf::TextFieldState& s) {
            return swf::typeText(t, s, pasted, rules);
        });
        break;
    }
    case FieldCommand::SelectAll:
        swf::editField(*movie, *field, [&](std::u16string& t, swf::TextFieldState& s) {
            swf::selectAll(t, s);
            return false;
        });
        break;
    }
    return true;
}

bool SwfPlayerWidget::editFocusedField(QKeyEvent* event) {
    if (!fieldTakesKey(*event)) return false;
    if (const std::optional<FieldCommand> command = commandOf(*event)) {
        fieldCommand(*command, true);
        restartCaretBlink();
        revealFocusedCaret();
        return true;
    }
    swf::DisplayObject* field = focusedInputField();
    if (!field) return false;
    swf::MovieInstance& movie = *state_->instance;
    const swf::EditRules rules = swf::editRulesOf(*field);
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool word = event->modifiers() & Qt::ControlModifier;
    const swf::LaidOutLines lines(fieldLayout(*field));

    auto move = [&](swf::CaretMove m) {
        swf::editField(movie, *field, [&](std::u16string& text, swf::TextFieldState& s) {
            swf::moveCaret(text, s, m, shift, &lines);
            return false;
        });
    };
    auto type = [&](const std::u16string& typed) {
        swf::userEdit(movie, *field, swf::EditKind::Typing, [&](std::u16string& text, swf::TextFieldState& s) {
            return swf::typeText(text, s, typed, rules);
        });
    };

    switch (event->key()) {
    case Qt::Key_Left: move(word ? swf::CaretMove::WordLeft : swf::CaretMove::Left); break;
    case Qt::Key_Right: move(word ? swf::CaretMove::WordRight : swf::CaretMove::Right); break;
    case Qt::Key_Home: move(word ? swf::CaretMove::TextStart : swf::CaretMove::LineStart); break;
    case Qt::Key_End: move(word ? swf::CaretMove::TextEnd : swf::CaretMove::LineEnd); break;
    case Qt::Key_Up: move(swf::CaretMove::Up); break;
    case Qt::Key_Down: move(swf::CaretMove::Down); break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // A page is as many lines as the field shows; the caret keeps its x, as with Up and Down.
        const swf::TextGeometry& layout = fieldLayout(*field);
        const double height = textBox(*swf::editTextOf(*field)).height();
        int32_t page = 0;
        for (const auto& line : layout.lines)
            if (line.bottom - layout.lines.front().top <= height) ++page;
        page = std::max(page, 1);
        swf::editField(movie, *field, [&](std::u16string& text, swf::TextFieldState& s) {
            const int32_t to = lines.vertical(s.caret, event->key() == Qt::Key_PageUp ? -page : page);
            swf::placeCaret(text, s, to, shift);
            return false;
        });
        break;
    }
    case Qt::Key_Backspace:
    case Qt::Key_Delete: {
        const bool backward = event->key() == Qt::Key_Backspace;
        // Deleting a selection is a step of its own; a run of single deletions is one.
        const bool selection = field->textState && field->textState->selectionBegin != field->textState->selectionEnd;
        const swf::EditKind kind = selection ? swf::EditKind::Other
                                   : backward ? swf::EditKind::DeleteBackward : swf::EditKind::DeleteForward;
        swf::userEdit(movie, *field, kind, [&](std::u16string& text, swf::TextFieldState& s) {
            return swf::deleteText(text, s, backward, word);
        });
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A one-line field takes Enter too (a quiz's script may listen for it), and types nothing.
        if (rules.multiline) type(u"\r");
        break;
    default: {
        const std::u16string typed = toU16(event->text());
        if (!typed.empty() && typed[0] >= 0x20 && typed[0] != 0x7F) type(typed);
    }
    }
    restartCaretBlink();
    revealFocusedCaret();
    return true;
}

bool SwfPlayerWidget::pressOnTextField(QPointF widgetPoint, bool extend) {
    swf::MovieInstance* movie = state_->instance.get();
    if (!movie) return false;
    const TextFieldHit hit = fieldHitAt(*movie, viewTransform(), widgetPoint);
    if (!hit.field || !swf::isSelectableField(*hit.field) || (state_->pointer && state_->pointer->overButton())) {
        // A click anywhere else takes the focus from a field.
        if (movie->focusedText()) {
            movie->setFocusedText(nullptr);
            movie->noteChange();
        }
        state_->selecting = {};
        return false;
    }
    swf::DisplayObject* field = hit.field;
    if (movie->focusedText() != field) {
        movie->setFocusedText(field);
        extend = false;
    }
    const swf::TextGeometry& layout = fieldLayout(*field);
    const swf::TextFieldState& seen = field->ensureTextState();
    const QPointF scrolled = hit.local + QPointF(seen.hscroll * 20.0, swf::scrollOffset(layout, seen.scroll));
    const int32_t position = swf::positionAt(layout, scrolled);
    swf::editField(*movie, *field, [&](std::u16string& text, swf::TextFieldState& s) {
        swf::placeCaret(text, s, position, extend);
        return false;
    });
    movie->noteChange();
    state_->selecting = field->textHandle();
    restartCaretBlink();
    return true;
}

swf::DisplayObject* SwfPlayerWidget::selectableFieldAt(QPointF widgetPoint) {
    swf::MovieInstance* movie = state_->instance.get();
    if (!movie) return nullptr;
    const TextFieldHit hit = fieldHitAt(*movie, viewTransform(), widgetPoint);
    return hit.field && swf::isSelectableField(*hit.field) ? hit.field : nullptr;
}

bool SwfPlayerWidget::textFieldUnder(QPointF widgetPoint) { return selectableFieldAt(widgetPoint) != nullptr; }

void SwfPlayerWidget::dragSelect(QPointF widgetPoint) {
    swf::DisplayObject* field = state_->selecting.get();
    swf::MovieInstance* movie = state_->instance.get();
    if (!field || !movie) return;
    const swf::Clip* holder = holderOf(movie->root(), field);
    if (!holder) return;
    bool invertible = false;
    const QTransform toWidget = toQt(field->matrix) * toQt(swf::stageMatrix(*holder)) * viewTransform();
    const QPointF local = toWidget.inverted(&invertible).map(widgetPoint);
    if (!invertible) return;
    const swf::TextGeometry& layout = fieldLayout(*field);
    const swf::TextFieldState& seen = field->ensureTextState();
    const int32_t position =
        swf::positionAt(layout, local + QPointF(seen.hscroll * 20.0, swf::scrollOffset(layout, seen.scroll)));
    swf::editField(*movie, *field, [&](std::u16string& text, swf::TextFieldState& s) {
        swf::placeCaret(text, s, position, true);
        return false;
    });
    revealFocusedCaret();
    afterPointer();
}

void SwfPlayerWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressOnTextField(event->position(), false)) {
        swf::DisplayObject* field = state_->selecting.get();
        swf::editField(*state_->instance, *field, [](std::u16string& text, swf::TextFieldState& s) {
            swf::selectWord(text, s, s.caret);
            return false;
        });
        state_->selecting = {};
        afterPointer();
        event->accept();
        return;
    }
    mousePressEvent(event);
}

bool SwfPlayerWidget::scrollFieldUnder(QPointF widgetPoint, int lines) {
    swf::MovieInstance* movie = state_->instance.get();
    if (!movie || lines == 0) return false;
    bool invertible = false;
    const QPointF stagePoint = viewTransform().inverted(&invertible).map(widgetPoint);
    if (!invertible) return false;
    TextFieldHit hit;
    findFieldAt(movie->root(), stagePoint, hit);
    if (!hit.field) return false;
    const swf::TextGeometry& layout = fieldLayout(*hit.field);
    const int32_t most = swf::maxScroll(layout, textBox(*swf::editTextOf(*hit.field)).height());
    if (most <= 1) return false;
    swf::TextFieldState& s = hit.field->ensureTextState();
    const int32_t to = std::clamp(s.scroll - lines, 1, most);
    if (to != s.scroll) {
        s.scroll = to;
        swf::noteFieldScrolled(*movie, *hit.field);
    }
    return true;
}

void SwfPlayerWidget::restartCaretBlink() {
    const bool wasHidden = state_->caretHidden;
    state_->caretHidden = false;
    // Half the desktop's flash time a phase, but never more than two wake-ups a second; a flash
    // time of 0 asks for a caret that does not blink.
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash > 0 && focusedInputField() && hasFocus()) state_->caretBlink.start(std::max(flash / 2, 500));
    else state_->caretBlink.stop();
    if (wasHidden) redrawAll();
}

void SwfPlayerWidget::blinkCaret() {
    if (!focusedInputField() || !hasFocus()) {
        restartCaretBlink();
        return;
    }
    state_->caretHidden = !state_->caretHidden;
    redrawAll();
}

void SwfPlayerWidget::updateInputMethod() {
    const bool typing = focusedInputField() != nullptr;
    // The caret starts blinking when a field takes the focus, and stops when it has none.
    if ((typing && hasFocus()) != state_->caretBlink.isActive()) restartCaretBlink();
    if (testAttribute(Qt::WA_InputMethodEnabled) != typing) {
        setAttribute(Qt::WA_InputMethodEnabled, typing);
        if (!typing) state_->preedit.clear();
        if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
    }
    if (typing && hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void SwfPlayerWidget::inputMethodEvent(QInputMethodEvent* event) {
    swf::DisplayObject* field = focusedInputField();
    if (!field) {
        event->ignore();
        return;
    }
    swf::MovieInstance& movie = *state_->instance;
    const std::u16string commit = toU16(event->commitString());
    if (!commit.empty() || event->replacementLength() != 0) {
        const swf::EditRules rules = swf::editRulesOf(*field);
        swf::userEdit(movie, *field, swf::EditKind::Typing, [&](std::u16string& text, swf::TextFieldState& s) {
            bool changed = false;
            if (event->replacementLength() > 0 && s.selectionBegin == s.selectionEnd) {
                // The method replaces text around the caret (a correction): select it first.
                const int32_t from = std::clamp(s.caret + event->replacementStart(), 0, int32_t(text.size()));
                const int32_t to = std::clamp(from + event->replacementLength(), from, int32_t(text.size()));
                swf::placeCaret(text, s, from, false);
                swf::placeCaret(text, s, to, true);
            }
            if (!commit.empty()) changed = swf::typeText(text, s, commit, rules);
            return changed;
        });
    }
    state_->preedit = toU16(event->preeditString());
    state_->preeditCursor = int32_t(state_->preedit.size());
    for (const QInputMethodEvent::Attribute& a : event->attributes())
        if (a.type == QInputMethodEvent::Cursor) state_->preeditCursor = a.start;
    movie.noteChange();
    restartCaretBlink();
    revealFocusedCaret();
    afterPointer();
    event->accept();
}

QVariant SwfPlayerWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    swf::DisplayObject* field = focusedInputField();
    if (!field) return QWidget::inputMethodQuery(query);
    const auto& character = *swf::editTextOf(*field);
    const swf::TextFieldState state = field->textState ? *field->textState : swf::TextFieldState{};
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImHints: {
        Qt::InputMethodHints hints = Qt::ImhNone;
        if (character.password) hints |= Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText;
        if (character.multiline) hints |= Qt::ImhMultiLine;
        return int(hints);
    }
    case Qt::ImCursorRectangle: {
        // The candidate window sits under the caret, wherever the field is on the stage.
        auto* self = const_cast<SwfPlayerWidget*>(this);
        const swf::Clip* holder = holderOf(state_->instance->root(), field);
        if (!holder) return QRect();
        const swf::TextGeometry& layout = self->fieldLayout(*field);
        QRectF caret = swf::caretBox(layout, state.caret, 20.0);
        caret.translate(-state.hscroll * 20.0, -swf::scrollOffset(layout, state.scroll));
        const QTransform toWidget = toQt(field->matrix) * toQt(swf::stageMatrix(*holder)) * viewTransform();
        return toWidget.mapRect(caret).toAlignedRect();
    }
    case Qt::ImCursorPosition: return state.caret;
    case Qt::ImAnchorPosition: return state.caret == state.selectionBegin ? state.selectionEnd : state.selectionBegin;
    case Qt::ImSurroundingText:
        if (character.password) return QString();
        return toQString(swf::fieldText(*field, state_->instance->movie().version));
    case Qt::ImCurrentSelection: {
        if (character.password) return QString();
        return toQString(swf::selectedText(swf::fieldText(*field, state_->instance->movie().version), state));
    }
    case Qt::ImMaximumTextLength:
        return character.maxLength && *character.maxLength > 0 ? QVariant(int(*character.maxLength)) : QVariant();
    default: return QWidget::inputMethodQuery(query);
    }
}

}  // namespace velmora
