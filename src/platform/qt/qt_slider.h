#pragma once

#include <QObject>
#include <functional>

#include "platform/core/controls.h"

class QSlider;
class QWidget;

namespace velmora {

// SliderControl on a horizontal QSlider with 32-bit values.
//
// Scroll is raised for every move the user makes (dragging, clicking the track, keys, wheel), with
// Value already at the new position; the program's own writes raise nothing.
class QtSlider : public QObject, public SliderControl {
    Q_OBJECT
public:
    // Creates the slider as a child of `parent`, which owns it.
    explicit QtSlider(QWidget* parent);

    void onScroll(std::function<void()> handler) { onScroll_ = std::move(handler); }

    QSlider& widget() { return *slider_; }

    // Raises a Failure for a negative step.
    void putSmallChange(int32_t step) override;
    // A new maximum below the minimum moves the minimum down with it, and the reverse; the value
    // is kept within the range.
    void putMax(int32_t max) override;
    void putMin(int32_t min) override;
    int32_t Value() const override;
    // Raises a Failure for a value outside Min..Max; the slider keeps its value.
    void putValue(int32_t value) override;
    void putTop(float twips) override;

private:
    void userMoved(int action);

    QSlider* slider_;
    std::function<void()> onScroll_;
};

}  // namespace velmora
