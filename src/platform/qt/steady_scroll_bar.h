#pragma once

#include <QScrollBar>

namespace velmora {

// A QScrollBar that redraws on a value change only when what it shows changes: the thumb moved by
// a pixel or more, or the value reached or left an end of the range. A long movie's position
// moves the value far more often than its thumb.
class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
public:
    SteadyScrollBar(Qt::Orientation orientation, QWidget* parent);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Shown {
        QRect thumb;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Shown&) const = default;
    };
    Shown nowShowing() const;

    // What the last paint showed; empty before the first.
    Shown shown_;
};

}  // namespace velmora
