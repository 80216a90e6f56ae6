#include "platform/qt/file_filter.h"

#include "platform/core/failure.h"

namespace velmora {

QStringList toQtNameFilters(const std::string& filter) {
    QStringList result;
    if (filter.empty()) return result;
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    if (parts.size() % 2 != 0) {
        throw Failure("file filter \"" + filter + "\" has a title without patterns");
    }
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) pattern = pattern.trimmed();
        result << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

}  // namespace velmora
