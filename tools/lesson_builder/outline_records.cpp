#include "outline_records.h"

#include <algorithm>
#include <cmath>

namespace velmora::lessons {

void writeOutline(test::BitWriter& w, const QPainterPath& path) {
    using test::BitWriter;
    w.ub(1, 4);  // one fill style bit
    w.ub(0, 4);  // no line styles
    int32_t penX = 0, penY = 0;
    auto round = [](double v) { return static_cast<int32_t>(std::lround(v)); };
    bool first = true;
    for (int i = 0; i < path.elementCount(); ++i) {
        const auto e = path.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            const int32_t x = round(e.x), y = round(e.y);
            const unsigned bits = std::max(1u, BitWriter::signedBits({x, y}));
            w.ub(0, 1);              // style change
            w.ub(0, 1);              // no new styles
            w.ub(0, 1);              // line style unchanged
            w.ub(0, 1);              // fill style 1 unchanged
            w.ub(first ? 1 : 0, 1);  // fill style 0, set once
            w.ub(1, 1);              // move to
            w.ub(bits, 5);
            w.sb(x, bits);
            w.sb(y, bits);
            if (first) w.ub(1, 1);
            first = false;
            penX = x;
            penY = y;
        } else if (e.type == QPainterPath::LineToElement) {
            const int32_t dx = round(e.x) - penX, dy = round(e.y) - penY;
            if (dx == 0 && dy == 0) continue;
            const unsigned bits = std::max(2u, BitWriter::signedBits({dx, dy}));
            w.ub(1, 1);  // edge
            w.ub(1, 1);  // straight
            w.ub(bits - 2, 4);
            w.ub(1, 1);  // general line
            w.sb(dx, bits);
            w.sb(dy, bits);
            penX += dx;
            penY += dy;
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
            const auto c2 = path.elementAt(i + 1);
            const auto end = path.elementAt(i + 2);
            i += 2;
            const int32_t qx = round((3 * (e.x + c2.x) - penX - end.x) / 4);
            const int32_t qy = round((3 * (e.y + c2.y) - penY - end.y) / 4);
            const int32_t ax = round(end.x), ay = round(end.y);
            const int32_t cdx = qx - penX, cdy = qy - penY, adx = ax - qx, ady = ay - qy;
            if (cdx == 0 && cdy == 0 && adx == 0 && ady == 0) continue;
            const unsigned bits = std::max(2u, BitWriter::signedBits({cdx, cdy, adx, ady}));
            w.ub(1, 1);  // edge
            w.ub(0, 1);  // curved
            w.ub(bits - 2, 4);
            w.sb(cdx, bits);
            w.sb(cdy, bits);
            w.sb(adx, bits);
            w.sb(ady, bits);
            penX = ax;
            penY = ay;
        }
    }
    w.ub(0, 6);  // end of shape
    w.flush();
}

}  // namespace velmora::lessons
