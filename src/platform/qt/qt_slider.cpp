#include "platform/qt/qt_slider.h"

#include <QSlider>
#include <string>

#include "platform/core/failure.h"
#include "platform/qt/twips.h"

namespace velmora {

QtSlider::QtSlider(QWidget* parent) : slider_(new QSlider(Qt::Horizontal, parent)) {
    slider_->setFocusPolicy(Qt::StrongFocus);
    // actionTriggered comes only from the user's input, never from setValue.
    connect(slider_, &QSlider::actionTriggered, this, &QtSlider::userMoved);
}

void QtSlider::userMoved(int action) {
    if (action == QAbstractSlider::SliderNoAction) return;
    // Qt announces the action before it commits the value; the handler must read the new one.
    slider_->setValue(slider_->sliderPosition());
    if (onScroll_) onScroll_();
}

void QtSlider::putSmallChange(int32_t step) {
    if (step < 0) throw Failure("slider small step " + std::to_string(step) + " is negative");
    slider_->setSingleStep(step);
}

void QtSlider::putMax(int32_t max) { slider_->setMaximum(max); }

void QtSlider::putMin(int32_t min) { slider_->setMinimum(min); }

int32_t QtSlider::Value() const { return slider_->value(); }

void QtSlider::putValue(int32_t value) {
    if (value < slider_->minimum() || value > slider_->maximum()) {
        throw Failure("slider value " + std::to_string(value) + " is outside its range " +
                      std::to_string(slider_->minimum()) + " to " + std::to_string(slider_->maximum()));
    }
    slider_->setValue(value);
}

void QtSlider::putTop(float twips) {
    slider_->move(slider_->x(), twipsToPixels(twips, verticalDpi(*slider_), "slider top"));
}

}  // namespace velmora
