#include "swf/render/gradient_brush.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>

#include "swf/render/color_transform_apply.h"

namespace velmora::swf {
namespace {

// Between two stops of a linear-RGB gradient Qt's sRGB interpolation is replaced by this many
// straight pieces; 8 keeps the error under one level of 8-bit colour for any pair of stops.
constexpr int kLinearRgbPieces = 8;

double toLinear(double srgb) {
    return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}

double toSrgb(double linear) {
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

QColor mixLinear(const QColor& a, const QColor& b, double t) {
    auto mix = [t](double x, double y) {
        const double l = toLinear(x) * (1.0 - t) + toLinear(y) * t;
        return std::clamp(toSrgb(l), 0.0, 1.0);
    };
    QColor c;
    c.setRgbF(float(mix(a.redF(), b.redF())), float(mix(a.greenF(), b.greenF())), float(mix(a.blueF(), b.blueF())),
              float(a.alphaF() * (1.0 - t) + b.alphaF() * t));
    return c;
}

QGradientStops makeStops(const Gradient& gradient, const ColorTransform& transform) {
    QGradientStops stops;
    double previous = -1.0;
    for (const GradientStop& stop : gradient.stops) {
        double position = stop.ratio / 255.0;
        // Qt needs strictly rising positions; a stop at or before the previous one takes over
        // right after it.
        if (position <= previous) position = std::min(1.0, previous + 1e-6);
        if (position <= previous) continue;
        stops.append({position, transformColor(stop.color, transform)});
        previous = position;
    }
    if (gradient.interpolation != Gradient::Interpolation::LinearRgb || stops.size() < 2) return stops;
    QGradientStops fine;
    for (qsizetype i = 0; i + 1 < stops.size(); ++i) {
        const auto& [p0, c0] = stops[i];
        const auto& [p1, c1] = stops[i + 1];
        for (int k = 0; k < kLinearRgbPieces; ++k) {
            const double t = double(k) / kLinearRgbPieces;
            fine.append({p0 + (p1 - p0) * t, mixLinear(c0, c1, t)});
        }
    }
    fine.append(stops.back());
    return fine;
}

QGradient::Spread toQt(Gradient::Spread spread) {
    switch (spread) {
        case Gradient::Spread::Reflect: return QGradient::ReflectSpread;
        case Gradient::Spread::Repeat: return QGradient::RepeatSpread;
        default: return QGradient::PadSpread;
    }
}

}  // namespace

QBrush makeGradientBrush(const FillStyle& fill, const ColorTransform& transform) {
    const QGradientStops stops = makeStops(fill.gradient, transform);
    if (stops.isEmpty()) return QBrush(Qt::transparent);
    if (stops.size() == 1) return QBrush(stops.front().second);

    const Matrix& m = fill.matrix;
    const QTransform matrix(m.a, m.b, m.c, m.d, m.tx, m.ty);
    QBrush brush;
    if (fill.type == FillStyle::Type::LinearGradient) {
        QLinearGradient g(-kGradientHalfSquare, 0.0, kGradientHalfSquare, 0.0);
        g.setStops(stops);
        g.setSpread(toQt(fill.gradient.spread));
        brush = QBrush(g);
    } else {
        double focal = 0.0;
        if (fill.type == FillStyle::Type::FocalGradient && std::isfinite(fill.gradient.focalPoint))
            focal = std::clamp(fill.gradient.focalPoint, -0.998, 0.998);
        QRadialGradient g(QPointF(0, 0), kGradientHalfSquare, QPointF(focal * kGradientHalfSquare, 0));
        g.setStops(stops);
        g.setSpread(toQt(fill.gradient.spread));
        brush = QBrush(g);
    }
    brush.setTransform(matrix);
    return brush;
}

}  // namespace velmora::swf
