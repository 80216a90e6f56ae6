#include "swf/render/field_carets.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf {

namespace {

using Line = TextGeometry::Line;

// The x of position on line, which holds it.
double xOf(const Line& line, int32_t position) {
    const auto it = std::lower_bound(line.positions.begin(), line.positions.end(), position);
    if (it == line.positions.end()) return line.x.back();
    return line.x[size_t(it - line.positions.begin())];
}

// The boundary of line nearest to x.
int32_t nearest(const Line& line, double x) {
    size_t best = 0;
    for (size_t i = 1; i < line.x.size(); ++i)
        if (std::abs(line.x[i] - x) < std::abs(line.x[best] - x)) best = i;
    return line.positions[best];
}

int32_t clampedLine(const TextGeometry& text, int32_t line) {
    return std::clamp(line, 0, static_cast<int32_t>(text.lines.size()) - 1);
}

}  // namespace

int32_t lineOf(const TextGeometry& text, int32_t position) {
    int32_t found = 0;
    for (size_t i = 0; i < text.lines.size(); ++i)
        if (!text.lines[i].positions.empty() && text.lines[i].positions.front() <= position) found = int32_t(i);
    return found;
}

int32_t positionAt(const TextGeometry& text, QPointF point) {
    if (text.lines.empty()) return 0;
    size_t i = 0;
    while (i + 1 < text.lines.size() && point.y() >= text.lines[i].bottom) ++i;
    return nearest(text.lines[i], point.x());
}

QRectF caretBox(const TextGeometry& text, int32_t position, double width) {
    if (text.lines.empty()) return QRectF(0, 0, width, 0);
    const Line& line = text.lines[size_t(lineOf(text, position))];
    return QRectF(xOf(line, position), line.top, width, line.bottom - line.top);
}

std::vector<QRectF> rangeBoxes(const TextGeometry& text, int32_t begin, int32_t end) {
    std::vector<QRectF> boxes;
    if (begin >= end) return boxes;
    for (const Line& line : text.lines) {
        const int32_t from = std::max(begin, line.positions.front());
        const int32_t to = std::min(end, line.positions.back());
        // An empty line inside the selection shows a sliver, so that the selected break is seen.
        const bool breakSelected = to == line.positions.back() && end > line.positions.back();
        if (from > to || (from == to && !breakSelected)) continue;
        const double left = xOf(line, from);
        const double right = std::max(xOf(line, to), breakSelected && from == to ? left + 60.0 : left);
        boxes.emplace_back(QPointF(left, line.top), QPointF(right, line.bottom));
    }
    return boxes;
}

int32_t maxScroll(const TextGeometry& text, double visibleHeight) {
    if (text.lines.empty()) return 1;
    const double bottom = text.lines.back().bottom;
    for (size_t i = 0; i < text.lines.size(); ++i)
        if (bottom - text.lines[i].top <= visibleHeight + 1.0) return int32_t(i) + 1;
    return int32_t(text.lines.size());
}

double scrollOffset(const TextGeometry& text, int32_t scroll) {
    if (text.lines.empty()) return 0.0;
    return text.lines[size_t(clampedLine(text, scroll - 1))].top - text.lines.front().top;
}

void revealCaret(const TextGeometry& text, TextFieldState& state, double left, double visibleWidth,
                 double visibleHeight) {
    if (text.lines.empty()) return;
    const int32_t line = lineOf(text, state.caret);
    state.scroll = std::clamp(state.scroll, 1, maxScroll(text, visibleHeight));
    if (line < state.scroll - 1) state.scroll = line + 1;
    while (state.scroll - 1 < line && text.lines[size_t(line)].bottom - text.lines[size_t(state.scroll - 1)].top > visibleHeight + 1.0)
        ++state.scroll;
    // Sideways in whole pixels, as scripts count hscroll.
    const double x = caretBox(text, state.caret, 0).x() - left;
    const double shown = state.hscroll * 20.0;
    if (x < shown) state.hscroll = std::max(0, static_cast<int32_t>(std::floor(x / 20.0)));
    else if (x > shown + visibleWidth) state.hscroll = static_cast<int32_t>(std::ceil((x - visibleWidth) / 20.0));
}

int32_t LaidOutLines::lineStart(int32_t position) const {
    if (text_.lines.empty()) return 0;
    return text_.lines[size_t(lineOf(text_, position))].positions.front();
}

int32_t LaidOutLines::lineEnd(int32_t position) const {
    if (text_.lines.empty()) return 0;
    const size_t i = size_t(lineOf(text_, position));
    const Line& line = text_.lines[i];
    // A wrapped line's last boundary is the next line's first, where the caret shows on the next
    // line: End stops before the last character (mostly the space the line broke at).
    if (i + 1 < text_.lines.size() && text_.lines[i + 1].positions.front() == line.positions.back() &&
        line.positions.size() > 1)
        return line.positions[line.positions.size() - 2];
    return line.positions.back();
}

int32_t LaidOutLines::vertical(int32_t position, int32_t lines) const {
    if (text_.lines.empty()) return 0;
    const int32_t from = lineOf(text_, position);
    const int32_t to = from + lines;
    if (to < 0) return 0;
    if (to >= static_cast<int32_t>(text_.lines.size())) return text_.lines.back().positions.back();
    const double x = xOf(text_.lines[size_t(from)], position);
    return nearest(text_.lines[size_t(to)], x);
}

}  // namespace velmora::swf
