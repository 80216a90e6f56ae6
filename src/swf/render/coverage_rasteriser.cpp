#include "swf/render/coverage_rasteriser.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::swf {
namespace {

// Crossings are looked for between edges this far apart at the bottom of a band; closer ones change
// no pixel.
constexpr double kCrossingSlack = 1e-12;
// A band is never cut thinner than this, so that edges meeting at one point cannot stall the sweep.
constexpr double kThinnestBand = 1e-9;
// Bands cut at crossings, at most, between two vertices: hostile outlines whose edges all cross
// one another are drawn with their order as it stands after that many.
constexpr int kMaxCutsPerBand = 4096;
// Divisions of one curve, at most.
constexpr int kMaxCurveSteps = 4096;

// The integral over [0, u] of the share of the pixel column [0, 1] right of a vertical edge at u.
double rightShare(double u) {
    if (u <= 0.0) return u;
    if (u >= 1.0) return 0.5;
    return u - u * u / 2.0;
}

double length(QPointF p) { return std::hypot(p.x(), p.y()); }

}  // namespace

void CoverageRasteriser::reset(Qt::FillRule rule) {
    edges_.clear();
    rule_ = rule;
    minX_ = minY_ = std::numeric_limits<double>::infinity();
    maxX_ = maxY_ = -std::numeric_limits<double>::infinity();
}

void CoverageRasteriser::addEdge(QPointF a, QPointF b) {
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y())) return;
    minX_ = std::min({minX_, a.x(), b.x()});
    maxX_ = std::max({maxX_, a.x(), b.x()});
    minY_ = std::min({minY_, a.y(), b.y()});
    maxY_ = std::max({maxY_, a.y(), b.y()});
    if (a.y() == b.y()) return;  // a level edge bounds no band
    if (edges_.size() > kMaxEdges) return;  // refused whole by rasterise()
    if (a.y() < b.y())
        edges_.push_back({a.x(), a.y(), b.x(), b.y(), 1});
    else
        edges_.push_back({b.x(), b.y(), a.x(), a.y(), -1});
}

void CoverageRasteriser::addPolygon(const std::vector<QPointF>& points) {
    if (points.size() < 2) return;
    for (size_t i = 0; i < points.size(); ++i) addEdge(points[i], points[(i + 1) % points.size()]);
}

void CoverageRasteriser::addPath(const QPainterPath& path, const QTransform& toDevice) {
    QPointF start, last;
    bool open = false;
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element& element = path.elementAt(i);
        const QPointF p = toDevice.map(QPointF(element.x, element.y));
        if (element.type == QPainterPath::MoveToElement) {
            if (open) addEdge(last, start);
            start = last = p;
            open = true;
        } else if (element.type == QPainterPath::LineToElement) {
            addEdge(last, p);
            last = p;
        } else if (element.type == QPainterPath::CurveToElement && i + 2 < count) {
            const QPointF c1 = p;
            const QPointF c2 = toDevice.map(QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y));
            const QPointF end = toDevice.map(QPointF(path.elementAt(i + 2).x, path.elementAt(i + 2).y));
            i += 2;
            // Divided evenly: with n steps the lines stay within M / (8 n^2) of the curve, M the
            // largest second derivative. Even steps depend only on the curve's shape, so one
            // outline is divided the same way wherever it stands.
            const double bend = 6.0 * std::max(length(last - 2 * c1 + c2), length(c1 - 2 * c2 + end));
            const double wanted = std::ceil(std::sqrt(bend / (8.0 * kFlatness)));
            const int steps = std::isfinite(wanted) ? int(std::clamp(wanted, 1.0, double(kMaxCurveSteps))) : 1;
            const QPointF from = last;
            for (int s = 1; s <= steps; ++s) {
                const double t = double(s) / steps;
                const double u = 1.0 - t;
                const QPointF q = s == steps ? end
                                             : u * u * u * from + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * end;
                addEdge(last, q);
                last = q;
            }
        }
    }
    if (open) addEdge(last, start);
}

QRect CoverageRasteriser::bounds() const {
    if (!(minX_ <= maxX_) || !(minY_ <= maxY_)) return {};
    constexpr double kFar = 1e8;
    const int left = int(std::floor(std::clamp(minX_, -kFar, kFar)));
    const int top = int(std::floor(std::clamp(minY_, -kFar, kFar)));
    const int right = int(std::ceil(std::clamp(maxX_, -kFar, kFar)));
    const int bottom = int(std::ceil(std::clamp(maxY_, -kFar, kFar)));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool CoverageRasteriser::rasterise(const QRect& area, std::vector<float>& coverage) const {
    coverage.clear();
    if (area.isEmpty() || edges_.size() > kMaxEdges) return false;
    const int width = area.width();
    const int height = area.height();
    coverage.assign(size_t(width) * size_t(height), 0.0f);

    // The edges in the area's coordinates, those above or below it left out, by their tops.
    struct Local {
        double x0, y0, y1, slope;  // x at y is x0 + (y - y0) * slope
        int dir;
        double xAt(double y) const { return x0 + (y - y0) * slope; }
    };
    std::vector<Local> edges;
    edges.reserve(edges_.size());
    std::vector<double> events;
    events.reserve(edges_.size() * 2 + size_t(height) + 1);
    for (int row = 0; row <= height; ++row) events.push_back(row);
    for (const Edge& e : edges_) {
        const double y0 = e.y0 - area.top();
        const double y1 = e.y1 - area.top();
        if (y1 <= 0.0 || y0 >= height) continue;
        edges.push_back({e.x0 - area.left(), y0, y1, (e.x1 - e.x0) / (e.y1 - e.y0), e.dir});
        if (y0 > 0.0) events.push_back(y0);
        if (y1 < height) events.push_back(y1);
    }
    std::sort(edges.begin(), edges.end(), [](const Local& a, const Local& b) { return a.y0 < b.y0; });
    std::sort(events.begin(), events.end());
    events.erase(std::unique(events.begin(), events.end()), events.end());

    // One row's sums: area[j] the coverage of column j by edges inside it, cover[j] the coverage
    // every column from j on gains from edges left of it.
    std::vector<double> share(size_t(width) + 1, 0.0), cover(size_t(width) + 1, 0.0);
    auto addSide = [&](double xa, double xb, double h, double sign) {
        const double lo = std::min(xa, xb);
        const double hi = std::max(xa, xb);
        const double first = std::floor(lo);
        if (first >= width) return;
        const double last = std::floor(hi);
        if (hi - lo < 1e-9) {
            if (first >= 0.0) share[size_t(first)] += sign * h * (first + 1.0 - lo);
            cover[size_t(std::max(0.0, first + 1.0))] += sign * h;
            return;
        }
        const double perUnit = sign * h / (hi - lo);
        const int from = int(std::max(first, 0.0));
        const int to = int(std::min(last, double(width - 1)));
        for (int j = from; j <= to; ++j) share[size_t(j)] += perUnit * (rightShare(hi - j) - rightShare(lo - j));
        if (last + 1.0 < width) cover[size_t(std::max(0.0, last + 1.0))] += sign * h;
    };
    auto finishRow = [&](int row) {
        float* out = coverage.data() + size_t(row) * size_t(width);
        double run = 0.0;
        for (int j = 0; j < width; ++j) {
            run += cover[size_t(j)];
            out[j] = float(std::clamp(share[size_t(j)] + run, 0.0, 1.0));
        }
        std::fill(share.begin(), share.end(), 0.0);
        std::fill(cover.begin(), cover.end(), 0.0);
    };

    struct Active {
        const Local* edge;
        double top, bottom;  // x at the band's top and bottom
    };
    std::vector<Active> active;
    size_t next = 0;
    int row = 0;
    const bool nonZero = rule_ == Qt::WindingFill;
    auto inside = [nonZero](int winding) { return nonZero ? winding != 0 : (winding & 1) != 0; };
    // Within a band no two edges cross, so the outline there is trapezoids between neighbours:
    // each adds the share right of its left side and takes away the share right of its right.
    auto fillBand = [&](double h) {
        int winding = 0;
        for (const Active& a : active) {
            const bool was = inside(winding);
            winding += a.edge->dir;
            const bool is = inside(winding);
            if (was != is) addSide(a.top, a.bottom, h, is ? 1.0 : -1.0);
        }
    };

    for (size_t k = 0; k + 1 < events.size(); ++k) {
        double y = events[k];
        const double end = events[k + 1];
        if (!(end > y)) continue;
        const int bandRow = std::min(int(y), height - 1);
        if (bandRow != row) {
            finishRow(row);
            row = bandRow;
        }
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Active& a) { return a.edge->y1 <= y; }),
                     active.end());
        while (next < edges.size() && edges[next].y0 < end) {
            if (edges[next].y1 > y) active.push_back({&edges[next], 0.0, 0.0});
            ++next;
        }
        if (active.empty()) continue;
        for (int cuts = 0; y < end; ++cuts) {
            for (Active& a : active) {
                a.top = a.edge->xAt(y);
                a.bottom = a.edge->xAt(end);
            }
            // Nearly sorted from the band before: insertion sort, by x at the top, then at the bottom.
            for (size_t i = 1; i < active.size(); ++i) {
                const Active moving = active[i];
                size_t j = i;
                while (j > 0 && (active[j - 1].top > moving.top ||
                                 (active[j - 1].top == moving.top && active[j - 1].bottom > moving.bottom))) {
                    active[j] = active[j - 1];
                    --j;
                }
                active[j] = moving;
            }
            // The first crossing is between neighbours: the band is cut there.
            double until = end;
            if (cuts < kMaxCutsPerBand) {
                for (size_t i = 0; i + 1 < active.size(); ++i) {
                    const Active& a = active[i];
                    const Active& b = active[i + 1];
                    if (a.bottom <= b.bottom + kCrossingSlack) continue;
                    const double atTop = b.top - a.top;
                    const double atBottom = b.bottom - a.bottom;
                    until = std::min(until, y + (end - y) * atTop / (atTop - atBottom));
                }
                until = std::min(end, std::max(until, y + kThinnestBand));
            }
            if (until < end)
                for (Active& a : active) a.bottom = a.edge->xAt(until);
            fillBand(until - y);
            y = until;
        }
    }
    finishRow(row);
    return true;
}

QImage CoverageRasteriser::picture(const QRect& area, QRgb rgb) const {
    std::vector<float> coverage;
    if (!rasterise(area, coverage)) return {};
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    const int red = qRed(rgb), green = qGreen(rgb), blue = qBlue(rgb);
    for (int y = 0; y < area.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const float* from = coverage.data() + size_t(y) * size_t(area.width());
        for (int x = 0; x < area.width(); ++x) {
            const int alpha = int(std::lround(from[x] * 255.0f));
            line[x] = alpha == 0 ? 0 : qPremultiply(qRgba(red, green, blue, alpha));
        }
    }
    return image;
}

}  // namespace velmora::swf
