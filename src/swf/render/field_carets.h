#pragma once

#include <QPointF>
#include <QRectF>
#include <vector>

#include "swf/runtime/text_editing.h"
#include "swf/render/text_geometry.h"

namespace velmora::swf {

// Carets, selections and scrolling over a field's laid-out text (see TextGeometry::lines), in the
// field's twips before scrolling. Positions count UTF-16 units as TextFieldState does; positions
// past the text are taken as its end. Geometry without lines answers as one empty line at the top.

// The position nearest to point: on the line under it (the first or last line above or below the
// text), at the character boundary nearest its x.
int32_t positionAt(const TextGeometry& text, QPointF point);
// The caret at position: a bar from the top to the bottom of its line, at its x. Where a wrapped
// line ends and the next begins, the caret stands at the start of the next.
QRectF caretBox(const TextGeometry& text, int32_t position, double width);
// The boxes covering [begin, end), one a line.
std::vector<QRectF> rangeBoxes(const TextGeometry& text, int32_t begin, int32_t end);
// The line (from 0) that holds position.
int32_t lineOf(const TextGeometry& text, int32_t position);

// The scroll (counted from 1) that shows the last line at the bottom of a box of height
// `visibleHeight` twips: 1 when all lines fit.
int32_t maxScroll(const TextGeometry& text, double visibleHeight);
// How far the text moves up when scrolled to line `scroll`.
double scrollOffset(const TextGeometry& text, int32_t scroll);
// Scrolls state (scroll and hscroll) as little as needed to show the caret in a box of the given
// size (twips) whose text starts at `left`.
void revealCaret(const TextGeometry& text, TextFieldState& state, double left, double visibleWidth, double visibleHeight);

// The laid-out lines for moving the caret by line.
class LaidOutLines final : public EditLines {
public:
    explicit LaidOutLines(const TextGeometry& text) : text_(text) {}
    int32_t lineStart(int32_t position) const override;
    int32_t lineEnd(int32_t position) const override;
    int32_t vertical(int32_t position, int32_t lines) const override;

private:
    const TextGeometry& text_;
};

}  // namespace velmora::swf
