#include "qt_test_environment.h"

#include "support/qt_application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOptionSlider>
#include <gtest/gtest.h>

namespace velmora::testing {

namespace {

const auto* const kEnvironment = test::addQtApplication<QApplication>();

void sendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace

namespace {

QRect sliderPart(QAbstractSlider& bar, QStyle::ComplexControl control, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.upsideDown = bar.invertedAppearance();
    if (bar.orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
    return bar.style()->subControlRect(control, &option, part, &bar);
}

}  // namespace

QPoint scrollBarPart(QScrollBar& bar, QStyle::SubControl part) {
    return sliderPart(bar, QStyle::CC_ScrollBar, part).center();
}

QPoint sliderHandle(QSlider& slider) {
    return sliderPart(slider, QStyle::CC_Slider, QStyle::SC_SliderHandle).center();
}

void mousePress(QWidget& widget, QPoint at) {
    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}

void mouseDrag(QWidget& widget, QPoint to) {
    sendMouse(widget, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
}

void mouseRelease(QWidget& widget, QPoint at) {
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void wheel(QWidget& widget, int delta) {
    const QPointF at(widget.rect().center());
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

void keyClick(QWidget& widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

}  // namespace velmora::testing
