#include "platform/qt/qt_dialog_runner.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace velmora {

namespace {

// The folder itself when it exists, else its nearest existing ancestor: a lesson folder that is
// missing still starts the dialog beside the program rather than in an arbitrary place.
QString existingFolder(const QString& folder) {
    if (folder.isEmpty()) return {};
    QFileInfo info(folder);
    while (!info.isDir()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath()) return {};
        info = QFileInfo(parent);
    }
    return info.absoluteFilePath();
}

}  // namespace

void configureOpenDialog(QFileDialog& dialog, const OpenDialogRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The filter list shows each entry's own title ("Flash(*.swf)") without a pattern after it.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!request.nameFilters.isEmpty()) dialog.setNameFilters(request.nameFilters);
    const QString folder = existingFolder(request.initialFolder);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    if (!request.initialFile.isEmpty()) dialog.selectFile(request.initialFile);
}

void configureColorDialog(QColorDialog& dialog, const ColorDialogRequest& request) {
    // Qt's own dialog always shows its custom-colour section, which is what fullOpen asks for.
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    if (request.initial) dialog.setCurrentColor(*request.initial);
}

std::optional<QStringList> QtDialogRunner::runOpen(const OpenDialogRequest& request) {
    QFileDialog dialog(parent_);
    dialog.setWindowTitle(QFileDialog::tr("Open"));
    configureOpenDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

std::optional<QColor> QtDialogRunner::runColor(const ColorDialogRequest& request) {
    QColorDialog dialog(parent_);
    configureColorDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.selectedColor();
}

}  // namespace velmora
