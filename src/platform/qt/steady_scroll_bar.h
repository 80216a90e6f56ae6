#pragma once

#include <QPointer>
#include <QScrollBar>
#include <QTimer>

namespace velmora {

// A QScrollBar that redraws only when what it shows changes, and joins the window's next redraw
// when the program moves it:
// - a value change redraws the bar only when the thumb moved by a pixel or more, or the value
//   reached or left an end of the range (a long movie's position moves the value far more often
//   than its thumb);
// - a value written with setValueUnhurried() is drawn with whatever the window redraws next (a
//   movie's frame), or kLatestRedrawMs later at the latest, instead of in a redraw of its own:
//   each redraw of the window costs a round trip to the display server. What the user does to the
//   bar (dragging, keys, the wheel) is drawn at once.
class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
public:
    static constexpr int kLatestRedrawMs = 150;

    SteadyScrollBar(Qt::Orientation orientation, QWidget* parent);

    // setValue, drawn without a redraw of its own (above).
    void setValueUnhurried(int value);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Shown {
        QRect thumb;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Shown&) const = default;
    };
    Shown nowShowing() const;
    void redrawNow();

    // What the last paint showed; empty before the first.
    Shown shown_;
    bool unhurried_ = false;
    // The window whose redraws a waiting change joins, once one has waited.
    QPointer<QWidget> watchedWindow_;
    bool waiting_ = false;
    QTimer latest_;
};

}  // namespace velmora
