#include "swf/render/shape_path_builder.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace velmora::swf {
namespace {

struct Point {
    int64_t x = 0;
    int64_t y = 0;
    bool operator==(const Point&) const = default;
};

struct PointHash {
    size_t operator()(const Point& p) const {
        return std::hash<int64_t>()(p.x * 0x9E3779B97F4A7C15ll ^ p.y);
    }
};

// One edge in twips. A straight edge has no control point.
struct Edge {
    Point from;
    std::optional<Point> control;
    Point to;

    Edge reversed() const { return {to, control, from}; }
};

void appendEdge(QPainterPath& path, const Edge& edge) {
    if (edge.control)
        path.quadTo(double(edge.control->x), double(edge.control->y), double(edge.to.x), double(edge.to.y));
    else
        path.lineTo(double(edge.to.x), double(edge.to.y));
}

// Links the edges of one fill style into closed contours. Edges come in file order, which mostly
// already runs round each contour, so we first try the edge that follows and only then look the
// start point up.
QPainterPath linkContours(const std::vector<Edge>& edges, bool nonZero) {
    QPainterPath path;
    path.setFillRule(nonZero ? Qt::WindingFill : Qt::OddEvenFill);
    std::unordered_multimap<Point, size_t, PointHash> byStart;
    byStart.reserve(edges.size());
    for (size_t i = 0; i < edges.size(); ++i) byStart.emplace(edges[i].from, i);
    std::vector<bool> used(edges.size(), false);

    auto takeFrom = [&](const Point& p, size_t hint) -> std::optional<size_t> {
        if (hint < edges.size() && !used[hint] && edges[hint].from == p) return hint;
        auto [begin, end] = byStart.equal_range(p);
        for (auto it = begin; it != end; ++it)
            if (!used[it->second]) return it->second;
        return std::nullopt;
    };

    for (size_t first = 0; first < edges.size(); ++first) {
        if (used[first]) continue;
        used[first] = true;
        const Point start = edges[first].from;
        path.moveTo(double(start.x), double(start.y));
        appendEdge(path, edges[first]);
        Point at = edges[first].to;
        size_t last = first;
        while (!(at == start)) {
            auto next = takeFrom(at, last + 1);
            if (!next) break;
            used[*next] = true;
            appendEdge(path, edges[*next]);
            at = edges[*next].to;
            last = *next;
        }
        path.closeSubpath();
    }
    return path;
}

class Builder {
public:
    Builder(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines, bool nonZero,
            std::span<const ShapeStyleArrays> newStyles)
        : nonZero_(nonZero), newStyles_(newStyles) {
        startGroup(fills, lines);
    }

    void apply(const StyleChangeRecord& change) {
        if (change.hasNewStyles) {
            flush();
            static const ShapeStyleArrays kNone;
            const ShapeStyleArrays& arrays = nextNewStyles_ < newStyles_.size() ? newStyles_[nextNewStyles_++] : kNone;
            startGroup(arrays.fills, arrays.lines);
            fill0_ = fill1_ = line_ = 0;
        }
        if (change.fillStyle0) fill0_ = checkedIndex(*change.fillStyle0, fillEdges_.size());
        if (change.fillStyle1) fill1_ = checkedIndex(*change.fillStyle1, fillEdges_.size());
        if (change.lineStyle) line_ = checkedIndex(*change.lineStyle, linePaths_.size());
        if (change.moveTo) pen_ = {change.moveTo->first, change.moveTo->second};
    }

    void apply(const StraightEdgeRecord& edge) {
        const Point to{pen_.x + edge.dx, pen_.y + edge.dy};
        addEdge({pen_, std::nullopt, to});
    }

    void apply(const CurvedEdgeRecord& edge) {
        const Point control{pen_.x + edge.controlDx, pen_.y + edge.controlDy};
        const Point to{control.x + edge.anchorDx, control.y + edge.anchorDy};
        addEdge({pen_, control, to});
    }

    ShapeGeometry finish() {
        flush();
        return std::move(geometry_);
    }

private:
    uint32_t checkedIndex(uint32_t index, size_t count) {
        if (index > count) {
            ++geometry_.skippedStyleIndexes;
            return 0;
        }
        return index;
    }

    void startGroup(const std::vector<FillStyle>& fills, const std::vector<LineStyle>& lines) {
        fillStyles_ = fills;
        lineStyles_ = lines;
        fillEdges_.assign(fills.size(), {});
        linePaths_.assign(lines.size(), {});
        lineEnds_.assign(lines.size(), std::nullopt);
    }

    void addEdge(const Edge& edge) {
        // A fill0 edge has the fill on its other side: reversed, it runs round the fill the same
        // way as the fill1 edges do, so both link into the same contours.
        if (fill0_ != 0) fillEdges_[fill0_ - 1].push_back(edge.reversed());
        if (fill1_ != 0) fillEdges_[fill1_ - 1].push_back(edge);
        if (line_ != 0) {
            QPainterPath& path = linePaths_[line_ - 1];
            std::optional<Point>& end = lineEnds_[line_ - 1];
            if (!end || !(*end == edge.from)) path.moveTo(double(edge.from.x), double(edge.from.y));
            appendEdge(path, edge);
            end = edge.to;
        }
        pen_ = edge.to;
    }

    void flush() {
        ShapeStyleGroup group;
        for (size_t i = 0; i < fillEdges_.size(); ++i) {
            if (fillEdges_[i].empty()) continue;
            group.fills.push_back({fillStyles_[i], linkContours(fillEdges_[i], nonZero_)});
        }
        for (size_t i = 0; i < linePaths_.size(); ++i) {
            if (linePaths_[i].isEmpty()) continue;
            group.lines.push_back({lineStyles_[i], linePaths_[i]});
        }
        for (const auto& fill : group.fills) geometry_.bounds |= fill.path.boundingRect();
        for (const auto& line : group.lines) {
            const double half = line.style.width / 2.0;
            if (line.style.noHScale || line.style.noVScale)
                geometry_.deviceStrokeWidth = std::max<double>(geometry_.deviceStrokeWidth, line.style.width);
            geometry_.bounds |= line.path.boundingRect().adjusted(-half, -half, half, half);
        }
        if (!group.fills.empty() || !group.lines.empty()) geometry_.groups.push_back(std::move(group));
    }

    const bool nonZero_;
    const std::span<const ShapeStyleArrays> newStyles_;
    size_t nextNewStyles_ = 0;
    ShapeGeometry geometry_;
    std::vector<FillStyle> fillStyles_;
    std::vector<LineStyle> lineStyles_;
    std::vector<std::vector<Edge>> fillEdges_;
    std::vector<QPainterPath> linePaths_;
    std::vector<std::optional<Point>> lineEnds_;
    uint32_t fill0_ = 0;
    uint32_t fill1_ = 0;
    uint32_t line_ = 0;
    Point pen_;
};

}  // namespace

ShapeGeometry buildShapeGeometry(std::span<const ShapeRecord> records, const std::vector<FillStyle>& fillStyles,
                                 const std::vector<LineStyle>& lineStyles, bool nonZero,
                                 std::span<const ShapeStyleArrays> newStyles) {
    Builder builder(fillStyles, lineStyles, nonZero, newStyles);
    for (const ShapeRecord& record : records) std::visit([&](const auto& r) { builder.apply(r); }, record);
    return builder.finish();
}

ShapeGeometry buildShapeGeometry(const ShapeCharacter& shape) {
    return buildShapeGeometry(shape.records, shape.fillStyles, shape.lineStyles, shape.usesFillWindingRule,
                              shape.newStyles);
}

QPainterPath buildGlyphPath(std::span<const ShapeRecord> records, std::span<const ShapeStyleArrays> newStyles) {
    static const std::vector<FillStyle> kGlyphFill(1);
    ShapeGeometry geometry = buildShapeGeometry(records, kGlyphFill, {}, false, newStyles);
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const ShapeStyleGroup& group : geometry.groups)
        for (const ShapeStyleGroup::Fill& fill : group.fills) path.addPath(fill.path);
    return path;
}

}  // namespace velmora::swf
