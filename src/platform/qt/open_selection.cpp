#include "platform/qt/open_selection.h"

#include <QDir>
#include <QFileInfo>

#include "platform/core/failure.h"

namespace velmora {

std::string joinOpenSelection(const QStringList& paths, int maxCharacters) {
    QString result;
    if (paths.size() == 1) {
        result = QDir::toNativeSeparators(QFileInfo(paths.front()).absoluteFilePath());
    } else {
        const QString folder = QFileInfo(paths.front()).absolutePath();
        result = QDir::toNativeSeparators(folder);
        for (const QString& path : paths) {
            const QFileInfo info(path);
            if (info.absolutePath() != folder) {
                throw Failure("the chosen files are not all in one folder: " +
                              QDir::toNativeSeparators(path).toStdString() + " is not in " +
                              QDir::toNativeSeparators(folder).toStdString());
            }
            result += QChar(u'\0');
            result += info.fileName();
        }
    }
    const qsizetype length = result.toUcs4().size();
    if (length > maxCharacters) {
        throw Failure("the names of the " + std::to_string(paths.size()) + " chosen files take " +
                      std::to_string(length) + " characters, more than the " +
                      std::to_string(maxCharacters) + " the open dialog accepts; choose fewer files");
    }
    return result.toStdString();
}

}  // namespace velmora
