#include "swf/render/morph_shape.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf {
namespace {

double lerp(double a, double b, double t) { return a + (b - a) * t; }

uint8_t lerpByte(uint8_t a, uint8_t b, double t) {
    return static_cast<uint8_t>(std::clamp(std::lround(lerp(a, b, t)), 0l, 255l));
}

Rgba lerpColor(const Rgba& a, const Rgba& b, double t) {
    return {lerpByte(a.r, b.r, t), lerpByte(a.g, b.g, t), lerpByte(a.b, b.b, t), lerpByte(a.a, b.a, t)};
}

Matrix lerpMatrix(const Matrix& a, const Matrix& b, double t) {
    return {lerp(a.a, b.a, t), lerp(a.b, b.b, t), lerp(a.c, b.c, t),
            lerp(a.d, b.d, t), lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t)};
}

LineStyle interpolateLine(const MorphShapeCharacter::MorphLine& line, double t) {
    LineStyle out = line.start;
    out.width = static_cast<uint16_t>(std::clamp(std::lround(lerp(line.start.width, line.end.width, t)), 0l, 65535l));
    out.color = lerpColor(line.start.color, line.end.color, t);
    if (line.start.fill && line.end.fill)
        out.fill = interpolateFill({*line.start.fill, *line.end.fill}, t);
    return out;
}

// A record's edge as absolute points, so that rounding to twips never accumulates along a path.
struct AbsoluteEdge {
    double controlX, controlY, anchorX, anchorY;
};

AbsoluteEdge absolute(const ShapeRecord& record, double penX, double penY) {
    if (auto* s = std::get_if<StraightEdgeRecord>(&record)) {
        const double x = penX + s->dx;
        const double y = penY + s->dy;
        return {(penX + x) / 2, (penY + y) / 2, x, y};
    }
    const auto& c = std::get<CurvedEdgeRecord>(record);
    const double cx = penX + c.controlDx;
    const double cy = penY + c.controlDy;
    return {cx, cy, cx + c.anchorDx, cy + c.anchorDy};
}

bool isEdge(const ShapeRecord& r) { return !std::holds_alternative<StyleChangeRecord>(r); }

}  // namespace

FillStyle interpolateFill(const MorphShapeCharacter::MorphFill& fill, double t) {
    FillStyle out = fill.start;
    out.color = lerpColor(fill.start.color, fill.end.color, t);
    out.matrix = lerpMatrix(fill.start.matrix, fill.end.matrix, t);
    out.gradient.focalPoint = lerp(fill.start.gradient.focalPoint, fill.end.gradient.focalPoint, t);
    const auto& a = fill.start.gradient.stops;
    const auto& b = fill.end.gradient.stops;
    for (size_t i = 0; i < out.gradient.stops.size() && i < b.size(); ++i) {
        out.gradient.stops[i].ratio = lerpByte(a[i].ratio, b[i].ratio, t);
        out.gradient.stops[i].color = lerpColor(a[i].color, b[i].color, t);
    }
    return out;
}

ShapeGeometry buildMorphGeometry(const MorphShapeCharacter& morph, double t) {
    t = std::isfinite(t) ? std::clamp(t, 0.0, 1.0) : 0.0;
    std::vector<FillStyle> fills;
    for (const auto& f : morph.fillStyles) fills.push_back(interpolateFill(f, t));
    std::vector<LineStyle> lines;
    for (const auto& l : morph.lineStyles) lines.push_back(interpolateLine(l, t));

    std::vector<ShapeRecord> records;
    records.reserve(morph.startRecords.size());
    double startX = 0, startY = 0, endX = 0, endY = 0;  // pens of the two shapes
    int64_t outX = 0, outY = 0;                         // pen of the shape we build, rounded
    size_t e = 0;
    const auto& end = morph.endRecords;
    for (const ShapeRecord& record : morph.startRecords) {
        if (auto* change = std::get_if<StyleChangeRecord>(&record)) {
            StyleChangeRecord out = *change;
            out.hasNewStyles = false;  // morph shapes have one set of styles
            if (e < end.size() && !isEdge(end[e])) {
                const auto& endChange = std::get<StyleChangeRecord>(end[e++]);
                if (endChange.moveTo) std::tie(endX, endY) = *endChange.moveTo;
            }
            if (change->moveTo) {
                std::tie(startX, startY) = *change->moveTo;
                outX = std::llround(lerp(startX, endX, t));
                outY = std::llround(lerp(startY, endY, t));
                out.moveTo = std::make_pair(int32_t(outX), int32_t(outY));
            }
            records.push_back(std::move(out));
            continue;
        }
        while (e < end.size() && !isEdge(end[e])) {
            const auto& endChange = std::get<StyleChangeRecord>(end[e++]);
            if (endChange.moveTo) std::tie(endX, endY) = *endChange.moveTo;
        }
        const AbsoluteEdge a = absolute(record, startX, startY);
        bool endStraight = true;
        AbsoluteEdge b = a;
        if (e < end.size()) {
            endStraight = std::holds_alternative<StraightEdgeRecord>(end[e]);
            b = absolute(end[e++], endX, endY);
        }
        startX = a.anchorX;
        startY = a.anchorY;
        endX = b.anchorX;
        endY = b.anchorY;
        const int64_t cx = std::llround(lerp(a.controlX, b.controlX, t));
        const int64_t cy = std::llround(lerp(a.controlY, b.controlY, t));
        const int64_t ax = std::llround(lerp(a.anchorX, b.anchorX, t));
        const int64_t ay = std::llround(lerp(a.anchorY, b.anchorY, t));
        if (std::holds_alternative<StraightEdgeRecord>(record) && endStraight)
            records.push_back(StraightEdgeRecord{int32_t(ax - outX), int32_t(ay - outY)});
        else
            records.push_back(CurvedEdgeRecord{int32_t(cx - outX), int32_t(cy - outY), int32_t(ax - cx), int32_t(ay - cy)});
        outX = ax;
        outY = ay;
    }
    // Morph shapes fill by the even-odd rule, as shapes before DefineShape4 do.
    return buildShapeGeometry(records, fills, lines, false);
}

}  // namespace velmora::swf
