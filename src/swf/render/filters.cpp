#include "swf/render/filters.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "swf/render/filter_passes.h"

namespace velmora::swf {
namespace {

// One pass of a box blur along rows (horizontal) or columns, in place.
void blurLine(QRgb* data, int count, int stride, int radius, std::vector<QRgb>& scratch) {
    if (radius <= 0 || count <= 0) return;
    scratch.resize(size_t(count));
    for (int i = 0; i < count; ++i) scratch[size_t(i)] = data[i * stride];
    const int window = 2 * radius + 1;
    int sum[4] = {0, 0, 0, 0};
    auto add = [&](int i, int sign) {
        if (i < 0 || i >= count) return;
        const QRgb p = scratch[size_t(i)];
        sum[0] += sign * qAlpha(p);
        sum[1] += sign * qRed(p);
        sum[2] += sign * qGreen(p);
        sum[3] += sign * qBlue(p);
    };
    for (int i = -radius; i < radius; ++i) add(i, 1);
    for (int i = 0; i < count; ++i) {
        add(i + radius, 1);
        data[i * stride] = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
        add(i - radius, -1);
    }
}

int clampRadius(double radius, int extent) {
    if (!std::isfinite(radius) || radius <= 0) return 0;
    return int(std::min<double>(std::lround(radius), std::max(1, extent)));
}

// The object's alpha (or, for inner shadows, its inverse) as a layer of one colour.
QImage tintedAlpha(const QImage& source, const Rgba& color, bool inverse) {
    QImage out(source.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int a = inverse ? 255 - qAlpha(s[x]) : qAlpha(s[x]);
            const int alpha = a * color.a / 255;
            d[x] = qRgba(color.r * alpha / 255, color.g * alpha / 255, color.b * alpha / 255, alpha);
        }
    }
    return out;
}

void scaleAlpha(QImage& image, double strength) {
    if (strength == 1.0) return;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            auto s = [strength](int v) { return std::clamp(int(v * strength + 0.5), 0, 255); };
            const int a = s(qAlpha(p));
            row[x] = qRgba(std::min(s(qRed(p)), a), std::min(s(qGreen(p)), a), std::min(s(qBlue(p)), a), a);
        }
    }
}

// Drop shadow and glow: a glow is a shadow at distance 0.
void applyShadow(QImage& layer, const Filter& f, double scale) {
    QImage shadow = tintedAlpha(layer, f.color, f.inner);
    const double blurX = std::min(std::abs(f.blurX), kMaxBlurPixels) * scale;
    const double blurY = std::min(std::abs(f.blurY), kMaxBlurPixels) * scale;
    boxBlur(shadow, blurX / 2.0, blurY / 2.0, std::clamp(f.passes, 1, 3));
    scaleAlpha(shadow, std::isfinite(f.strength) ? std::clamp(f.strength, 0.0, 255.0) : 1.0);
    const double distance = f.type == Filter::Type::Glow || !std::isfinite(f.distance)
                                ? 0.0
                                : std::clamp(f.distance, -1000.0, 1000.0) * scale;
    const double angle = std::isfinite(f.angle) ? f.angle : 0.0;
    const QPointF offset(distance * std::cos(angle), distance * std::sin(angle));

    QImage result(layer.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter p(&result);
    if (f.inner) {
        // The shadow falls inside the object: keep it only where the object is.
        QImage inside(layer.size(), QImage::Format_ARGB32_Premultiplied);
        inside.fill(Qt::transparent);
        {
            QPainter ip(&inside);
            ip.drawImage(offset, shadow);
            ip.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            ip.drawImage(0, 0, layer);
        }
        if (f.compositeSource && !f.knockout) p.drawImage(0, 0, layer);
        p.drawImage(0, 0, inside);
        if (f.knockout) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            p.drawImage(0, 0, layer);
        }
    } else {
        p.drawImage(offset, shadow);
        if (f.knockout) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.drawImage(0, 0, layer);
        } else if (f.compositeSource) {
            p.drawImage(0, 0, layer);
        }
    }
    p.end();
    layer = result;
}

void applyColorMatrix(QImage& layer, const std::array<float, 20>& m) {
    for (int y = 0; y < layer.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const QRgb p = qUnpremultiply(row[x]);
            const float in[4] = {float(qRed(p)), float(qGreen(p)), float(qBlue(p)), float(qAlpha(p))};
            int out[4];
            for (int c = 0; c < 4; ++c) {
                const float* r = &m[size_t(c) * 5];
                const float v = r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4];
                out[c] = std::isfinite(v) ? std::clamp(int(v + 0.5f), 0, 255) : 0;
            }
            row[x] = qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
        }
    }
}

}  // namespace

void boxBlur(QImage& image, double radiusX, double radiusY, int passes) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int rx = clampRadius(radiusX, image.width());
    const int ry = clampRadius(radiusY, image.height());
    if (rx == 0 && ry == 0) return;
    std::vector<QRgb> scratch;
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    const int stride = int(image.bytesPerLine() / 4);
    for (int pass = 0; pass < std::clamp(passes, 1, 3); ++pass) {
        for (int y = 0; y < image.height() && rx > 0; ++y) blurLine(bits + y * stride, image.width(), 1, rx, scratch);
        for (int x = 0; x < image.width() && ry > 0; ++x) blurLine(bits + x, image.height(), stride, ry, scratch);
    }
}

void applyFilters(QImage& layer, const std::vector<Filter>& filters, double scale, RenderWarnings& warnings) {
    // Filters work in the layer's pixels; its density is put back when they are done.
    const qreal density = layer.devicePixelRatio();
    layer.setDevicePixelRatio(1.0);
    for (const Filter& f : filters) {
        switch (f.type) {
            case Filter::Type::Blur:
                boxBlur(layer, std::min(std::abs(f.blurX), kMaxBlurPixels) * scale / 2.0,
                        std::min(std::abs(f.blurY), kMaxBlurPixels) * scale / 2.0, f.passes);
                break;
            case Filter::Type::DropShadow:
            case Filter::Type::Glow: applyShadow(layer, f, scale); break;
            case Filter::Type::ColorMatrix: applyColorMatrix(layer, f.colorMatrix); break;
            case Filter::Type::Bevel:
            case Filter::Type::GradientBevel: applyBevel(layer, f, scale); break;
            case Filter::Type::GradientGlow: applyGradientGlow(layer, f, scale); break;
            case Filter::Type::Convolution: applyConvolution(layer, f, warnings); break;
        }
    }
    layer.setDevicePixelRatio(density);
}

}  // namespace velmora::swf
