#pragma once

#include <QObject>

class QAbstractButton;
class QWidget;

namespace velmora {

// Makes Enter press a window's default button, as it does in a dialog: when the focused control
// does not take the key itself (a scroll bar, the slider, the movie), the key reaches the window
// and clicks the default button. A focused button takes Enter itself (auto-default).
class DefaultButtonKey : public QObject {
    Q_OBJECT
public:
    // Both must outlive this object.
    DefaultButtonKey(QWidget& window, QAbstractButton& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QAbstractButton& button_;
};

}  // namespace velmora
