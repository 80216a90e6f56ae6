// The right-button menu over a text field: the editing entries a desktop user looks for there.
#include <QMenu>

#include "platform/player/player_state.h"
#include "swf/runtime/text_editing.h"

namespace velmora {

void SwfPlayerWidget::addFieldEntries(QMenu& menu, QPointF at) {
    swf::MovieInstance* movie = state_->instance.get();
    swf::DisplayObject* field = selectableFieldAt(at);
    if (!movie || !field) return;
    // The field under the pointer is the one the entries edit: it takes the focus, keeping its
    // selection, as a right click in a text box does.
    if (movie->focusedText() != field) {
        movie->setFocusedText(field);
        afterPointer();
        if (state_->instance.get() != movie || movie->focusedText() != field) return;
    }
    const swf::TextFieldHandle handle = field->textHandle();
    const bool input = swf::isInputField(*field);
    auto add = [&](const QString& caption, FieldCommand command, QKeySequence::StandardKey key) {
        QAction* action = menu.addAction(caption, this, [this, movie, handle, command] {
            // The menu waits for the user: the movie may have moved on meanwhile.
            if (state_->instance.get() != movie || !handle.get() || movie->focusedText() != handle.get()) return;
            fieldCommand(command, true);
            revealFocusedCaret();
            afterPointer();
        });
        action->setShortcut(key);
        action->setEnabled(fieldCommand(command, false));
    };
    if (input) {
        add(tr("Undo"), FieldCommand::Undo, QKeySequence::Undo);
        add(tr("Redo"), FieldCommand::Redo, QKeySequence::Redo);
        menu.addSeparator();
        add(tr("Cut"), FieldCommand::Cut, QKeySequence::Cut);
    }
    add(tr("Copy"), FieldCommand::Copy, QKeySequence::Copy);
    if (input) {
        add(tr("Paste"), FieldCommand::Paste, QKeySequence::Paste);
        add(tr("Delete"), FieldCommand::Delete, QKeySequence::Delete);
    }
    menu.addSeparator();
    add(tr("Select All"), FieldCommand::SelectAll, QKeySequence::SelectAll);
    menu.addSeparator();
}

}  // namespace velmora
