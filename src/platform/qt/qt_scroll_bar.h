#pragma once

#include <QObject>
#include <functional>

#include "platform/core/controls.h"
#include "platform/qt/steady_scroll_bar.h"

class QWidget;

namespace velmora {

// ScrollBarControl on a horizontal QScrollBar: 16-bit values from 0 to Max, created spanning
// 0..32767 at value 0 with small and large step 1.
//
// Scroll is raised only while the user drags the thumb, and Value already holds the thumb's new
// position when it is. Nothing else raises it: not the program's writes to Value or Max (not even
// while the user holds the thumb), not arrow or track clicks, not the keyboard or the wheel; those
// move the value silently, so a handler that seeks on Scroll only seeks where the user pointed.
class QtScrollBar : public QObject, public ScrollBarControl {
    Q_OBJECT
public:
    // Creates the bar as a child of `parent`, which owns it.
    explicit QtScrollBar(QWidget* parent);

    void onScroll(std::function<void()> handler) { onScroll_ = std::move(handler); }

    QScrollBar& widget() { return *bar_; }

    int16_t Max() const override;
    // Raises a Failure for a negative maximum (the minimum stays 0). A maximum below the current
    // value moves the value down to it.
    void putMax(int16_t max) override;
    int16_t Value() const override;
    // Raises a Failure for a value outside 0..Max; the bar keeps its value.
    void putValue(int16_t value) override;
    // Raises a Failure for a step below 1.
    void putSmallChange(int16_t step) override;
    void putTop(float twips) override;
    void putWidth(float twips) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void thumbDragged(int position);

    SteadyScrollBar* bar_;
    // True while the program writes the bar: Qt reports such a write as a thumb move when it
    // lands while the user holds the thumb.
    bool writing_ = false;
    std::function<void()> onScroll_;
};

}  // namespace velmora
