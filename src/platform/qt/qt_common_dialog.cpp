#include "platform/qt/qt_common_dialog.h"

#include "platform/core/failure.h"
#include "platform/qt/dialog_runner.h"
#include "platform/qt/file_filter.h"
#include "platform/qt/open_selection.h"

namespace velmora {

void QtCommonDialog::putFilter(const std::string& filter) {
    toQtNameFilters(filter);  // refuse a malformed filter now, at the step that sets it
    filter_ = filter;
}

void QtCommonDialog::putMaxFileSize(int16_t characters) {
    if (characters < 1) {
        throw Failure("open dialog size limit " + std::to_string(characters) + " is below 1 character");
    }
    maxFileSize_ = characters;
}

void QtCommonDialog::ShowOpen() {
    OpenDialogRequest request;
    request.initialFolder = QString::fromStdString(initDir_);
    request.initialFile = QString::fromStdString(fileName_);
    request.nameFilters = toQtNameFilters(filter_);
    request.multiSelect = (flags_ & kAllowMultiSelect) != 0;
    const std::optional<QStringList> chosen = runner_.runOpen(request);
    if (!chosen || chosen->isEmpty()) return;
    try {
        fileName_ = joinOpenSelection(*chosen, maxFileSize_);
    } catch (const Failure& failure) {
        if (onRefused_) onRefused_(failure.what());
        throw;
    }
}

bool QtCommonDialog::ShowColor() {
    ColorDialogRequest request;
    if (flags_ & kColorStartFromCurrent) {
        request.initial = QColor(color_ & 0xFF, (color_ >> 8) & 0xFF, (color_ >> 16) & 0xFF);
    }
    request.fullOpen = (flags_ & kColorFullOpen) != 0;
    const std::optional<QColor> chosen = runner_.runColor(request);
    if (!chosen || !chosen->isValid()) return false;
    color_ = chosen->red() | (chosen->green() << 8) | (chosen->blue() << 16);
    return true;
}

}  // namespace velmora
