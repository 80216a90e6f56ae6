#include "platform/qt/steady_scroll_bar.h"

#include <QStyleOptionSlider>

namespace velmora {

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

SteadyScrollBar::Shown SteadyScrollBar::nowShowing() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return Shown{style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                 value() <= minimum(), value() >= maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change) {
    // Bars that fade in and out flash on a change, which their style does in this call.
    const bool transient = style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this) != 0;
    if (change == SliderValueChange && !transient && !shown_.thumb.isEmpty() && nowShowing() == shown_) return;
    QScrollBar::sliderChange(change);
}

void SteadyScrollBar::paintEvent(QPaintEvent* event) {
    shown_ = nowShowing();
    QScrollBar::paintEvent(event);
}

}  // namespace velmora
