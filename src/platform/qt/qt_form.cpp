#include "platform/qt/qt_form.h"

#include <QEvent>
#include <QWidget>

#include "platform/qt/twips.h"

namespace velmora {

QtForm::QtForm(QWidget& window) : window_(window) { window_.installEventFilter(this); }

void QtForm::putCaption(const std::string& caption) {
    window_.setWindowTitle(QString::fromStdString(caption));
}

float QtForm::Width() const {
    return static_cast<float>(pixelsToTwips(window_.width(), horizontalDpi(window_))) + kFrameWidthTwips;
}

float QtForm::Height() const {
    return static_cast<float>(pixelsToTwips(window_.height(), verticalDpi(window_))) + kFrameHeightTwips;
}

int QtForm::WindowState() const {
    if (window_.isMinimized()) return 1;
    if (window_.isMaximized() || window_.isFullScreen()) return 2;
    return 0;
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
    // Qt sends the first Resize just before the window is first shown; minimising and restoring
    // change the state without changing the size, so both kinds of event count.
    if (watched == &window_ && onResize_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::WindowStateChange)) {
        onResize_();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora
