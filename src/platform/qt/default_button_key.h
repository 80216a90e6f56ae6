#pragma once

#include <QObject>

class QAbstractButton;
class QWidget;

namespace velmora {

// Makes Enter press a window's default button wherever the focus is inside that window: on a
// scroll bar, the slider, the movie or another button. The play button is the one control a
// learner reaches for without looking, so Enter never opens a dialog by accident. Space still
// presses the focused button. Keys in other windows (the file and colour dialogs) are left alone.
class DefaultButtonKey : public QObject {
    Q_OBJECT
public:
    // Both must outlive this object. Watches the application's key presses.
    DefaultButtonKey(QWidget& window, QAbstractButton& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QAbstractButton& button_;
};

}  // namespace velmora
