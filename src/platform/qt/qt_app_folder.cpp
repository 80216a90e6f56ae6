#include "platform/qt/qt_app_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace velmora {

std::string withoutTrailingSeparator(const std::string& folder) {
    QString native = QDir::toNativeSeparators(QString::fromStdString(folder));
    const QChar separator = QDir::separator();
    // A root keeps its separator: "/" alone, or a drive letter, colon and separator.
    const auto isRoot = [&](const QString& text) {
        return text.size() == 1 || (text.size() == 3 && text[1] == u':');
    };
    while (native.size() > 1 && native.endsWith(separator) && !isRoot(native)) native.chop(1);
    return native.toStdString();
}

std::string QtAppFolder::Path() const {
    return withoutTrailingSeparator(QCoreApplication::applicationDirPath().toStdString());
}

char QtAppFolder::Separator() const { return QDir::separator().toLatin1(); }

}  // namespace velmora
