// The coverage computed from an outline's edges is the area of each pixel inside it: checked
// against areas clipped out exactly for straight outlines, overlapping and crossing ones, and
// against fine sampling for curves.

#include <gtest/gtest.h>

#include <cmath>

#include "swf/render/coverage_rasteriser.h"

namespace velmora::swf {
namespace {

using Polygon = std::vector<QPointF>;

double area(const Polygon& p) {
    double twice = 0.0;
    for (size_t i = 0; i < p.size(); ++i) {
        const QPointF& a = p[i];
        const QPointF& b = p[(i + 1) % p.size()];
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(twice) / 2.0;
}

// subject clipped to the inside of a convex polygon running either way round: of each edge, the
// side its centre lies on is kept.
Polygon clip(const Polygon& subject, const Polygon& convex) {
    QPointF centre;
    for (const QPointF& p : convex) centre += p / double(convex.size());
    Polygon out = subject;
    for (size_t i = 0; i < convex.size() && !out.empty(); ++i) {
        const QPointF a = convex[i];
        const QPointF b = convex[(i + 1) % convex.size()];
        auto side = [&](QPointF p) { return (b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x()); };
        const double keep = side(centre) > 0 ? 1.0 : -1.0;
        Polygon in = out;
        out.clear();
        for (size_t j = 0; j < in.size(); ++j) {
            const QPointF p = in[j];
            const QPointF q = in[(j + 1) % in.size()];
            const double sp = keep * side(p), sq = keep * side(q);
            if (sp >= 0) out.push_back(p);
            if ((sp >= 0) != (sq >= 0)) out.push_back(p + (q - p) * (sp / (sp - sq)));
        }
    }
    return out;
}

double overlap(const Polygon& shape, int x, int y) {
    return area(clip(shape, {{double(x), double(y)}, {x + 1.0, double(y)}, {x + 1.0, y + 1.0}, {double(x), y + 1.0}}));
}

std::vector<float> rasterise(CoverageRasteriser& r, const QRect& area) {
    std::vector<float> coverage;
    EXPECT_TRUE(r.rasterise(area, coverage));
    return coverage;
}

// Largest difference from expected(x, y) over area.
template <typename Expected>
double worst(const std::vector<float>& coverage, const QRect& area, Expected expected) {
    double largest = 0.0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            largest = std::max(largest, std::abs(coverage[size_t(y * area.width() + x)] -
                                             expected(x + area.left(), y + area.top())));
    return largest;
}

Polygon reversed(Polygon p) {
    std::reverse(p.begin(), p.end());
    return p;
}

TEST(CoverageRasteriser, StraightOutlinesCoverTheirExactArea) {
    const Polygon square{{2.3, 1.7}, {7.9, 2.6}, {7.0, 8.2}, {1.4, 7.3}};  // turned, at fractions
    const Polygon sliver{{1.1, 1.05}, {9.7, 2.35}, {1.6, 1.45}};           // thinner than a pixel
    const QRect box(0, 0, 11, 10);
    CoverageRasteriser r;
    for (const Polygon& shape : {square, sliver, reversed(square)}) {
        for (Qt::FillRule rule : {Qt::OddEvenFill, Qt::WindingFill}) {
            r.reset(rule);
            r.addPolygon(shape);
            EXPECT_LT(worst(rasterise(r, box), box, [&](int x, int y) { return overlap(shape, x, y); }), 1e-6);
        }
    }
    // Cut off at every side by the area asked for, the pixels inside it are the same.
    r.reset(Qt::OddEvenFill);
    r.addPolygon(square);
    const QRect inner(3, 3, 3, 3);
    EXPECT_LT(worst(rasterise(r, inner), inner, [&](int x, int y) { return overlap(square, x, y); }), 1e-6);
}

TEST(CoverageRasteriser, OverlapsAndCrossingsFollowTheFillRule) {
    const Polygon a{{1.2, 1.3}, {6.7, 1.9}, {5.9, 6.6}, {1.5, 5.8}};
    const Polygon b{{3.6, 3.1}, {8.4, 4.2}, {7.3, 8.9}, {2.8, 7.7}};
    const QRect box(0, 0, 10, 10);
    auto both = [&](int x, int y) { return area(clip(clip(a, b), {{double(x), double(y)}, {x + 1.0, double(y)},
                                                                    {x + 1.0, y + 1.0}, {double(x), y + 1.0}})); };
    auto onlyOne = [&](int x, int y) { return overlap(a, x, y) + overlap(b, x, y) - 2 * both(x, y); };
    auto either = [&](int x, int y) { return overlap(a, x, y) + overlap(b, x, y) - both(x, y); };
    CoverageRasteriser r;
    struct Case {
        Qt::FillRule rule;
        bool sameWay;
        bool union_;
    };
    // Contours running the same way add up by winding; opposite ways cancel. Even-odd ignores it.
    for (const Case& c : {Case{Qt::WindingFill, true, true}, Case{Qt::WindingFill, false, false},
                          Case{Qt::OddEvenFill, true, false}, Case{Qt::OddEvenFill, false, false}}) {
        r.reset(c.rule);
        r.addPolygon(a);
        r.addPolygon(c.sameWay ? b : reversed(b));
        const std::vector<float> coverage = rasterise(r, box);
        EXPECT_LT(worst(coverage, box, [&](int x, int y) { return c.union_ ? either(x, y) : onlyOne(x, y); }), 1e-6)
            << "rule " << c.rule << " same way " << c.sameWay;
    }
    // A contour crossing itself inside a pixel: two triangles meeting at (4.37, 3.52).
    const Polygon bowTie{{1.2, 1.1}, {7.9, 6.3}, {7.4, 1.4}, {1.6, 5.5}};
    for (Qt::FillRule rule : {Qt::OddEvenFill, Qt::WindingFill}) {
        r.reset(rule);
        r.addPolygon(bowTie);
        const std::vector<float> coverage = rasterise(r, box);
        // Where the crossing lies: the sides meet there, so the two triangles are whole.
        const QPointF p = bowTie[0], q = bowTie[1], s = bowTie[2], t = bowTie[3];
        const double d = (q.x() - p.x()) * (t.y() - s.y()) - (q.y() - p.y()) * (t.x() - s.x());
        const double u = ((s.x() - p.x()) * (t.y() - s.y()) - (s.y() - p.y()) * (t.x() - s.x())) / d;
        const QPointF cross = p + (q - p) * u;
        const Polygon left{p, cross, t}, right{cross, q, s};
        EXPECT_LT(worst(coverage, box, [&](int x, int y) { return overlap(left, x, y) + overlap(right, x, y); }), 1e-6);
    }
}

TEST(CoverageRasteriser, CurvesCoverWhatFineSamplingFinds) {
    QPainterPath circle;
    circle.addEllipse(QPointF(0, 0), 30, 30);
    // Outline units to pixels: a circle of radius 5.4 at a fraction of a pixel.
    const QTransform toDevice(0.18, 0, 0, 0.18, 6.37, 5.81);
    CoverageRasteriser r;
    r.reset(Qt::WindingFill);
    r.addPath(circle, toDevice);
    const QRect box = r.bounds();
    EXPECT_EQ(box, QRect(0, 0, 12, 12));
    constexpr int kSamples = 64;
    const double worstError = worst(rasterise(r, box), box, [&](int x, int y) {
        int in = 0;
        for (int i = 0; i < kSamples; ++i)
            for (int j = 0; j < kSamples; ++j) {
                const double dx = x + (i + 0.5) / kSamples - 6.37, dy = y + (j + 0.5) / kSamples - 5.81;
                in += dx * dx + dy * dy < 5.4 * 5.4;
            }
        return double(in) / (kSamples * kSamples);
    });
    // Sampling 64 to the pixel finds an edge to 1/64, dividing the curve keeps within 1/64.
    EXPECT_LT(worstError, 2.0 / 64);
}

TEST(CoverageRasteriser, RefusesOrIgnoresWhatItCannotDraw) {
    CoverageRasteriser r;
    r.reset(Qt::WindingFill);
    const double nan = std::nan("");
    r.addPolygon({{1, 1}, {nan, 2}, {4, 4}, {1, 4}});
    r.addPolygon({{-1e300, 0}, {1e300, 0}, {1e300, 2}});
    std::vector<float> coverage;
    EXPECT_TRUE(r.rasterise(QRect(0, 0, 5, 5), coverage));
    EXPECT_FALSE(r.rasterise(QRect(), coverage));
    // A curve scaled beyond any screen is divided into a bounded number of lines; an outline of
    // too many is refused as a whole.
    QPainterPath curves;
    for (int i = 0; i < 200; ++i) curves.addEllipse(QPointF(i, 0), 1, 1);
    r.addPath(curves, QTransform::fromScale(1e9, 1e9));
    EXPECT_FALSE(r.rasterise(QRect(0, 0, 5, 5), coverage));
    EXPECT_TRUE(coverage.empty());
}

}  // namespace
}  // namespace velmora::swf
