#include "swf/runtime/outline_hit.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <variant>

#include "swf/runtime/clip_drawing.h"

namespace velmora::swf {

namespace {

constexpr int kCurvePieces = 8;
constexpr double kHairlineHalfWidth = 10.0;  // twips: half a pixel

// What the edges seen so far say about one point: per fill, how often they cross the ray from
// the point to the right, plain and signed; and whether a stroke passes over it.
class PointProbe {
public:
    PointProbe(double x, double y) : x_(x), y_(y) {}

    // An edge from (x0, y0) to (x1, y1) with fill `left` on its left and `right` on its right
    // (0 for none; fills are told apart by key), stroked halfWidth twips each side if stroked.
    void edge(double x0, double y0, double x1, double y1, uint64_t left, uint64_t right, bool stroked,
              double halfWidth) {
        if (stroked && !onStroke_ && distanceTo(x0, y0, x1, y1) <= halfWidth) onStroke_ = true;
        if (left == right || (y0 > y_) == (y1 > y_)) return;
        const double crossX = x0 + (y_ - y0) * (x1 - x0) / (y1 - y0);
        if (crossX <= x_) return;
        const int direction = y1 > y0 ? 1 : -1;
        if (left) add(left, -direction);
        if (right) add(right, direction);
    }

    bool covered(bool nonZero) const {
        if (onStroke_) return true;
        return std::any_of(fills_.begin(), fills_.end(), [nonZero](const auto& entry) {
            return nonZero ? entry.second.winding != 0 : entry.second.crossings % 2 != 0;
        });
    }
    bool onStroke() const { return onStroke_; }
    double x() const { return x_; }
    double y() const { return y_; }

private:
    struct Count {
        int crossings = 0;
        int winding = 0;
    };
    void add(uint64_t fill, int direction) {
        Count& c = fills_[fill];
        ++c.crossings;
        c.winding += direction;
    }
    double distanceTo(double x0, double y0, double x1, double y1) const {
        const double dx = x1 - x0, dy = y1 - y0;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((x_ - x0) * dx + (y_ - y0) * dy) / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        return std::hypot(x_ - (x0 + t * dx), y_ - (y0 + t * dy));
    }

    double x_;
    double y_;
    std::map<uint64_t, Count> fills_;
    bool onStroke_ = false;
};

// A quadratic curve from (x0, y0) through control (cx, cy) to (x1, y1), as straight pieces.
template <typename Piece>
void flatten(double x0, double y0, double cx, double cy, double x1, double y1, Piece piece) {
    double px = x0, py = y0;
    for (int i = 1; i <= kCurvePieces; ++i) {
        const double t = double(i) / kCurvePieces, u = 1 - t;
        const double nx = u * u * x0 + 2 * u * t * cx + t * t * x1;
        const double ny = u * u * y0 + 2 * u * t * cy + t * t * y1;
        piece(px, py, nx, ny);
        px = nx;
        py = ny;
    }
}

double halfWidth(const LineStyle& style) {
    return style.width == 0 ? kHairlineHalfWidth : style.width / 2.0;
}

}  // namespace

bool shapeCovers(const ShapeCharacter& shape, double x, double y) {
    // A point outside the shape's box (strokes included) is outside everything in it.
    if (x < shape.bounds.xMin || x > shape.bounds.xMax || y < shape.bounds.yMin || y > shape.bounds.yMax) return false;
    PointProbe probe(x, y);
    const std::vector<LineStyle>* lines = &shape.lineStyles;
    uint64_t table = 0;  // new style arrays start a new numbering of fills
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    double penX = 0, penY = 0;
    auto key = [&table](uint32_t fill) { return fill ? (table << 32) | fill : uint64_t{0}; };
    auto piece = [&](double x0, double y0, double x1, double y1) {
        const bool stroked = line > 0 && line <= lines->size();
        probe.edge(x0, y0, x1, y1, key(fill0), key(fill1), stroked, stroked ? halfWidth((*lines)[line - 1]) : 0.0);
    };
    for (const ShapeRecord& record : shape.records) {
        if (const auto* change = std::get_if<StyleChangeRecord>(&record)) {
            if (change->hasNewStyles) {
                static const std::vector<LineStyle> kNoLines;
                lines = table < shape.newStyles.size() ? &shape.newStyles[table].lines : &kNoLines;
                ++table;
                fill0 = fill1 = line = 0;
            }
            if (change->moveTo) {
                penX = change->moveTo->first;
                penY = change->moveTo->second;
            }
            if (change->fillStyle0) fill0 = *change->fillStyle0;
            if (change->fillStyle1) fill1 = *change->fillStyle1;
            if (change->lineStyle) line = *change->lineStyle;
        } else if (const auto* straight = std::get_if<StraightEdgeRecord>(&record)) {
            piece(penX, penY, penX + straight->dx, penY + straight->dy);
            penX += straight->dx;
            penY += straight->dy;
        } else if (const auto* curve = std::get_if<CurvedEdgeRecord>(&record)) {
            const double cx = penX + curve->controlDx, cy = penY + curve->controlDy;
            const double ax = cx + curve->anchorDx, ay = cy + curve->anchorDy;
            flatten(penX, penY, cx, cy, ax, ay, piece);
            penX = ax;
            penY = ay;
        }
        if (probe.onStroke()) return true;
    }
    return probe.covered(shape.usesFillWindingRule);
}

bool drawingCovers(const ClipDrawing& drawing, double x, double y) {
    const auto box = drawing.bounds();
    if (!box || x < box->xMin || x > box->xMax || y < box->yMin || y > box->yMax) return false;
    for (const DrawingPart& part : drawing.parts()) {
        PointProbe probe(x, y);
        // Each subpath of the fill is closed back to where it began.
        if (part.fill) {
            double startX = 0, startY = 0, penX = 0, penY = 0;
            auto close = [&] {
                if (penX != startX || penY != startY) probe.edge(penX, penY, startX, startY, 0, 1, false, 0);
            };
            auto piece = [&](double x0, double y0, double x1, double y1) { probe.edge(x0, y0, x1, y1, 0, 1, false, 0); };
            for (const DrawingStep& step : part.fillPath) {
                if (step.kind == DrawingStep::Kind::Move) {
                    close();
                    startX = penX = step.x;
                    startY = penY = step.y;
                    continue;
                }
                if (step.kind == DrawingStep::Kind::Line) piece(penX, penY, step.x, step.y);
                else flatten(penX, penY, step.controlX, step.controlY, step.x, step.y, piece);
                penX = step.x;
                penY = step.y;
            }
            close();
        }
        for (const DrawingPart::Stroke& stroke : part.strokes) {
            const double half = halfWidth(stroke.style);
            double penX = 0, penY = 0;
            auto piece = [&](double x0, double y0, double x1, double y1) { probe.edge(x0, y0, x1, y1, 0, 0, true, half); };
            for (const DrawingStep& step : stroke.path) {
                if (step.kind == DrawingStep::Kind::Line) piece(penX, penY, step.x, step.y);
                else if (step.kind == DrawingStep::Kind::Curve) flatten(penX, penY, step.controlX, step.controlY, step.x, step.y, piece);
                penX = step.x;
                penY = step.y;
            }
        }
        if (probe.covered(false)) return true;
    }
    return false;
}

}  // namespace velmora::swf
