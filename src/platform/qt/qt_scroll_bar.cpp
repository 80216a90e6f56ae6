#include "platform/qt/qt_scroll_bar.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <string>

#include "platform/core/failure.h"
#include "platform/qt/scroll_bar_picture_style.h"
#include "platform/qt/twips.h"

namespace velmora {

namespace {

// Sets a flag for the lifetime of the guard.
class WriteGuard {
public:
    explicit WriteGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~WriteGuard() { flag_ = false; }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

QtScrollBar::QtScrollBar(QWidget* parent) : bar_(new SteadyScrollBar(Qt::Horizontal, parent)) {
    // The bars follow the movies as they play: drawn from kept pictures, and only when the thumb
    // moves, they cost the window little.
    bar_->setStyle(&ScrollBarPictureStyle::shared());
    bar_->setRange(0, 32767);
    bar_->setValue(0);
    bar_->setSingleStep(1);
    bar_->setPageStep(1);
    // In the window's tab order, and takes the focus when clicked, like the other controls.
    bar_->setFocusPolicy(Qt::StrongFocus);
    // Qt's own menu ("Scroll here", "Left edge"...) would move the bar without a seek, leaving
    // it showing a place the movie is not at.
    bar_->setContextMenuPolicy(Qt::NoContextMenu);
    // sliderMoved comes only while the thumb is held; wheel, keys, arrows and track clicks
    // come as other actions and stay silent.
    connect(bar_, &QScrollBar::sliderMoved, this, &QtScrollBar::thumbDragged);
    bar_->installEventFilter(this);
}

bool QtScrollBar::eventFilter(QObject* watched, QEvent* event) {
    // QScrollBar inverts its controls so that the wheel scrolls forward, which also turns the
    // Left and Right keys around; here Left moves the thumb left and Right moves it right.
    if (watched == bar_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            bar_->triggerAction(key == Qt::Key_Left ? QAbstractSlider::SliderSingleStepSub
                                                    : QAbstractSlider::SliderSingleStepAdd);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void QtScrollBar::thumbDragged(int position) {
    if (writing_) return;
    // Qt announces the move before it commits the value; the handler must read the new one.
    {
        WriteGuard guard(writing_);
        bar_->setValue(position);
    }
    if (onScroll_) onScroll_();
}

int16_t QtScrollBar::Max() const { return static_cast<int16_t>(bar_->maximum()); }

void QtScrollBar::putMax(int16_t max) {
    if (max < 0) {
        throw Failure("scroll bar maximum " + std::to_string(max) + " is below its minimum 0");
    }
    WriteGuard guard(writing_);
    bar_->setMaximum(max);  // clamps the value down to a smaller maximum
}

int16_t QtScrollBar::Value() const { return static_cast<int16_t>(bar_->value()); }

void QtScrollBar::putValue(int16_t value) {
    if (value < 0 || value > bar_->maximum()) {
        throw Failure("scroll bar value " + std::to_string(value) + " is outside its range 0 to " +
                      std::to_string(bar_->maximum()));
    }
    WriteGuard guard(writing_);
    // The position timer writes the bar as the movie plays: drawn with the movie's next frame.
    bar_->setValueUnhurried(value);
}

void QtScrollBar::putSmallChange(int16_t step) {
    if (step < 1) {
        throw Failure("scroll bar small step " + std::to_string(step) + " is below 1");
    }
    bar_->setSingleStep(step);
}

void QtScrollBar::putTop(float twips) {
    bar_->move(bar_->x(), twipsToPixels(twips, verticalDpi(*bar_), "scroll bar top"));
}

void QtScrollBar::putWidth(float twips) {
    bar_->resize(twipsToPixels(twips, horizontalDpi(*bar_), "scroll bar width"), bar_->height());
}

}  // namespace velmora
