#include "platform/qt/default_button_key.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWidget>

namespace velmora {

DefaultButtonKey::DefaultButtonKey(QWidget& window, QAbstractButton& button)
    : window_(window), button_(button) {
    window_.installEventFilter(this);
}

bool DefaultButtonKey::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && button_.isEnabled() && button_.isVisible()) {
            button_.animateClick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora
