// Bevel, gradient bevel and gradient glow: filters that colour the object's edges from its
// blurred alpha, offset along the filter's angle.
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "swf/render/filter_passes.h"
#include "swf/render/filters.h"

namespace velmora::swf {
namespace {

enum class Side { Inner, Outer, Both };

Side sideOf(const Filter& f) { return f.onTop ? Side::Both : f.inner ? Side::Inner : Side::Outer; }

// The filter's offset in whole device pixels, and how far beyond the object its effect reaches.
struct Reach {
    int dx = 0;
    int dy = 0;
    int marginX = 0;
    int marginY = 0;
};

Reach reachOf(const Filter& f, double scale) {
    const double distance = std::isfinite(f.distance) ? std::clamp(f.distance, -1000.0, 1000.0) * scale : 0.0;
    const double angle = std::isfinite(f.angle) ? f.angle : 0.0;
    Reach r;
    r.dx = int(std::lround(distance * std::cos(angle)));
    r.dy = int(std::lround(distance * std::sin(angle)));
    auto blur = [scale](double b) {
        return std::isfinite(b) ? int(std::ceil(std::min(std::abs(b), kMaxBlurPixels) * scale)) : 0;
    };
    constexpr int kMaxMargin = 1 << 16;
    r.marginX = std::min(kMaxMargin, blur(f.blurX) + std::abs(r.dx) + 2);
    r.marginY = std::min(kMaxMargin, blur(f.blurY) + std::abs(r.dy) + 2);
    return r;
}

float strengthOf(const Filter& f) {
    return std::isfinite(f.strength) ? float(std::clamp(f.strength, 0.0, 255.0)) : 1.0f;
}

// One value per pixel, 0..1; nothing beyond the edges.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
        return values[size_t(y) * size_t(width) + size_t(x)];
    }
};

Plane alphaOf(const QImage& image) {
    Plane plane{image.width(), image.height(), std::vector<float>(size_t(image.width()) * size_t(image.height()))};
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) plane.values[size_t(y) * size_t(image.width()) + size_t(x)] = qAlpha(row[x]) / 255.0f;
    }
    return plane;
}

// The object's alpha (or its inverse) blurred by the filter's radii and passes.
Plane blurredAlpha(const QImage& object, const Filter& f, double scale, bool inverse) {
    QImage mask(object.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < object.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(object.constScanLine(y));
        auto* d = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < object.width(); ++x) d[x] = qRgba(0, 0, 0, inverse ? 255 - qAlpha(s[x]) : qAlpha(s[x]));
    }
    auto radius = [scale](double b) { return std::isfinite(b) ? std::min(std::abs(b), kMaxBlurPixels) * scale / 2.0 : 0.0; };
    boxBlur(mask, radius(f.blurX), radius(f.blurY), std::clamp(f.passes, 1, 3));
    return alphaOf(mask);
}

// A premultiplied colour times k (0..1).
QRgb faded(QRgb c, float k) {
    auto s = [k](int v) { return int(v * k + 0.5f); };
    return qRgba(s(qRed(c)), s(qGreen(c)), s(qBlue(c)), s(qAlpha(c)));
}

QRgb premultiplied(const Rgba& c) { return qPremultiply(qRgba(c.r, c.g, c.b, c.a)); }

// The gradient's colour at each of the 256 ratios, premultiplied; its end colours pad beyond its
// first and last stops. A stop out of order is taken as if it sat at the ratio before it.
std::array<QRgb, 256> gradientPalette(const std::vector<GradientStop>& stops) {
    std::array<QRgb, 256> palette{};
    if (stops.empty()) return palette;
    std::vector<int> ratios;
    for (const GradientStop& stop : stops) ratios.push_back(std::max<int>(stop.ratio, ratios.empty() ? 0 : ratios.back()));
    size_t next = 0;  // the first stop at or beyond the ratio being filled
    for (int i = 0; i < 256; ++i) {
        while (next < stops.size() && ratios[next] < i) ++next;
        if (next == 0 || next == stops.size()) {
            palette[size_t(i)] = premultiplied(stops[std::min(next, stops.size() - 1)].color);
            continue;
        }
        const Rgba& before = stops[next - 1].color;
        const Rgba& after = stops[next].color;
        const float t = float(i - ratios[next - 1]) / float(ratios[next] - ratios[next - 1]);
        auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
        palette[size_t(i)] = qPremultiply(
            qRgba(mix(before.r, after.r), mix(before.g, after.g), mix(before.b, after.b), mix(before.a, after.a)));
    }
    return palette;
}

// Replaces the layer by what make returns for the part of it the filter can reach: the object's
// bounds grown by the margins. The rest of the layer is transparent before and after.
template <class Make>
void withinReach(QImage& layer, int marginX, int marginY, Make make) {
    const QRect bounds = opaqueBounds(layer);
    if (bounds.isEmpty()) return;
    const QRect part = bounds.adjusted(-marginX, -marginY, marginX, marginY) & layer.rect();
    const QImage result = make(layer.copy(part));
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(part.topLeft(), result);
}

// The effect and the object put together as the filter's flags ask: an outer effect lies under the
// object, an inner or two-sided one over it; knockout, or a filter that does not composite its
// source, leaves the effect alone.
QImage composite(const QImage& object, const QImage& effect, const Filter& f, Side side) {
    QImage out(object.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    const bool showObject = f.compositeSource && !f.knockout;
    if (side == Side::Outer) {
        p.drawImage(0, 0, effect);
        if (showObject) p.drawImage(0, 0, object);
    } else {
        if (showObject) p.drawImage(0, 0, object);
        p.drawImage(0, 0, effect);
    }
    return out;
}

float sideMask(Side side, float alpha) {
    return side == Side::Inner ? alpha : side == Side::Outer ? 1.0f - alpha : 1.0f;
}

}  // namespace

void applyBevel(QImage& layer, const Filter& f, double scale) {
    const Side side = sideOf(f);
    const Reach reach = reachOf(f, scale);
    const bool gradient = f.type == Filter::Type::GradientBevel;
    const std::array<QRgb, 256> palette = gradient ? gradientPalette(f.gradient) : std::array<QRgb, 256>{};
    const QRgb highlight = premultiplied(f.highlightColor);
    const QRgb shadow = premultiplied(f.color);
    const float strength = strengthOf(f);
    withinReach(layer, reach.marginX, reach.marginY, [&](const QImage& object) {
        const Plane alpha = alphaOf(object);
        const Plane blurred = blurredAlpha(object, f, scale, false);
        QImage effect(object.size(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < object.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(effect.scanLine(y));
            for (int x = 0; x < object.width(); ++x) {
                // Positive where the object lies further along the light than behind it: an edge
                // facing the light.
                const float slope = std::clamp(
                    (blurred.at(x + reach.dx, y + reach.dy) - blurred.at(x - reach.dx, y - reach.dy)) * strength,
                    -1.0f, 1.0f);
                QRgb c;
                if (gradient) c = palette[size_t(std::lround(127.5f - 127.5f * slope))];
                else c = slope >= 0.0f ? faded(highlight, slope) : faded(shadow, -slope);
                row[x] = faded(c, sideMask(side, alpha.at(x, y)));
            }
        }
        return composite(object, effect, f, side);
    });
}

void applyGradientGlow(QImage& layer, const Filter& f, double scale) {
    const Side side = sideOf(f);
    const Reach reach = reachOf(f, scale);
    const std::array<QRgb, 256> palette = gradientPalette(f.gradient);
    const float strength = strengthOf(f);
    withinReach(layer, reach.marginX, reach.marginY, [&](const QImage& object) {
        const Plane alpha = alphaOf(object);
        // An inner glow rises from the object's edges inwards: the blur of what lies outside it.
        const Plane blurred = blurredAlpha(object, f, scale, side == Side::Inner);
        QImage effect(object.size(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < object.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(effect.scanLine(y));
            for (int x = 0; x < object.width(); ++x) {
                const float glow = std::clamp(blurred.at(x - reach.dx, y - reach.dy) * strength, 0.0f, 1.0f);
                row[x] = faded(palette[size_t(std::lround(glow * 255.0f))], sideMask(side, alpha.at(x, y)));
            }
        }
        return composite(object, effect, f, side);
    });
}

QRect opaqueBounds(const QImage& image) {
    int left = image.width();
    int right = -1;
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = 0;
        while (first < image.width() && qAlpha(row[first]) == 0) ++first;
        if (first == image.width()) continue;
        int last = image.width() - 1;
        while (qAlpha(row[last]) == 0) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        if (top < 0) top = y;
        bottom = y;
    }
    if (top < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace velmora::swf
