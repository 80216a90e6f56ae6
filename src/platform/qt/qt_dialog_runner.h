#pragma once

#include "platform/qt/dialog_runner.h"

class QColorDialog;
class QFileDialog;
class QWidget;

namespace velmora {

// The real dialogs: Qt's own file and colour dialogs, modal over `parent`.
//
// Qt's own file dialog is used on every desktop rather than the platform's native one: it looks
// and behaves the same everywhere, and its multiple choice always comes from one folder, which
// the NUL-joined result needs.
class QtDialogRunner : public DialogRunner {
public:
    // `parent` must outlive the runner; may be null for a dialog of its own.
    explicit QtDialogRunner(QWidget* parent) : parent_(parent) {}

    std::optional<QStringList> runOpen(const OpenDialogRequest& request) override;
    std::optional<QColor> runColor(const ColorDialogRequest& request) override;

private:
    QWidget* parent_;
};

// Sets a file dialog up for `request` without showing it.
void configureOpenDialog(QFileDialog& dialog, const OpenDialogRequest& request);

// Sets a colour dialog up for `request` without showing it.
void configureColorDialog(QColorDialog& dialog, const ColorDialogRequest& request);

}  // namespace velmora
