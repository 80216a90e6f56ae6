#pragma once

#include <QPoint>
#include <QStyle>
#include <functional>

#include "support/qt_application.h"

class QWidget;
class QScrollBar;
class QSlider;

namespace velmora::testing {

using test::processEventsFor;
using test::processEventsUntil;

// The centre of a part of a scroll bar (thumb, arrow, track) in its own coordinates.
QPoint scrollBarPart(QScrollBar& bar, QStyle::SubControl part);

// The centre of a slider's handle in its own coordinates.
QPoint sliderHandle(QSlider& slider);

// The user's mouse: presses the left button at `at`, moves with it held, releases.
void mousePress(QWidget& widget, QPoint at);
void mouseDrag(QWidget& widget, QPoint to);
void mouseRelease(QWidget& widget, QPoint at);

// The user's mouse wheel: one notch away from the user (delta 120) or towards (-120).
void wheel(QWidget& widget, int delta);

// The user's keyboard: one press and release of `key` on `widget`.
void keyClick(QWidget& widget, int key);

}  // namespace velmora::testing
