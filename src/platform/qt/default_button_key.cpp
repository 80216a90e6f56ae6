#include "platform/qt/default_button_key.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace velmora {

DefaultButtonKey::DefaultButtonKey(QWidget& window, QAbstractButton& button)
    : window_(window), button_(button) {
    // The focused widget sees a key first, and buttons would take Enter themselves; watching at
    // the application lets the window's default button have it before any of them.
    QCoreApplication::instance()->installEventFilter(this);
}

namespace {

// Whether the widget wants the key for itself, as a text input that is typing does: it says so
// the way Qt asks before shortcuts, by accepting a ShortcutOverride for the key.
bool claimsKey(QWidget& target, const QKeyEvent& key) {
    QKeyEvent ask(QEvent::ShortcutOverride, key.key(), key.modifiers(), key.text());
    ask.ignore();
    QCoreApplication::sendEvent(&target, &ask);
    return ask.isAccepted();
}

}  // namespace

bool DefaultButtonKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* target = static_cast<QWidget*>(watched);
        const bool inWindow = target == &window_ || window_.isAncestorOf(target);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (inWindow && enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
            button_.isEnabled() && button_.isVisible() && !claimsKey(*target, *key)) {
            button_.animateClick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora
