#include "platform/qt/steady_scroll_bar.h"

#include <QEvent>
#include <QStyleOptionSlider>

namespace velmora {

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {
    latest_.setSingleShot(true);
    connect(&latest_, &QTimer::timeout, this, [this] { redrawNow(); });
}

void SteadyScrollBar::setValueUnhurried(int value) {
    unhurried_ = true;
    setValue(value);
    unhurried_ = false;
}

SteadyScrollBar::Shown SteadyScrollBar::nowShowing() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return Shown{style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                 value() <= minimum(), value() >= maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change) {
    // Bars that fade in and out flash on a change, which their style does in this call.
    const bool transient = style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this) != 0;
    if (change != SliderValueChange || transient || shown_.thumb.isEmpty()) {
        QScrollBar::sliderChange(change);
        return;
    }
    if (nowShowing() == shown_) return;
    if (!unhurried_ || isSliderDown()) {
        QScrollBar::sliderChange(change);
        return;
    }
    if (waiting_) return;
    // The window posts itself a request before it redraws anything; the bar joins that redraw.
    QWidget* top = window();
    if (top != watchedWindow_) {
        if (watchedWindow_) watchedWindow_->removeEventFilter(this);
        watchedWindow_ = top;
        if (watchedWindow_ && watchedWindow_ != this) watchedWindow_->installEventFilter(this);
    }
    waiting_ = true;
    latest_.start(kLatestRedrawMs);
}

bool SteadyScrollBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && waiting_ && event->type() == QEvent::UpdateRequest) redrawNow();
    return QScrollBar::eventFilter(watched, event);
}

void SteadyScrollBar::redrawNow() {
    waiting_ = false;
    latest_.stop();
    update();
}

void SteadyScrollBar::paintEvent(QPaintEvent* event) {
    shown_ = nowShowing();
    QScrollBar::paintEvent(event);
}

}  // namespace velmora
