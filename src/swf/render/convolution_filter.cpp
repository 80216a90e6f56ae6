// The convolution filter: a matrix of weights run over the object's picture.
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "swf/render/filter_passes.h"

namespace velmora::swf {

void applyConvolution(QImage& layer, const Filter& f, RenderWarnings& warnings) {
    const int columns = f.matrixX;
    const int rows = f.matrixY;
    if (columns == 0 || rows == 0 || f.convolution.size() != size_t(columns) * size_t(rows)) return;
    if (columns > kMaxConvolutionSide || rows > kMaxConvolutionSide) {
        warnings.add("a convolution filter of " + std::to_string(columns) + "x" + std::to_string(rows) +
                     " is larger than " + std::to_string(kMaxConvolutionSide) + "x" +
                     std::to_string(kMaxConvolutionSide) + ": object shown unfiltered");
        return;
    }
    // The picture convolved is the object's own: its bounds are the picture's edges, beyond which
    // lie its edge pixels or the default colour.
    const QRect bounds = opaqueBounds(layer);
    if (bounds.isEmpty()) return;
    const int width = bounds.width();
    const int height = bounds.height();
    std::vector<QRgb> source(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(layer.constScanLine(bounds.top() + y)) + bounds.left();
        for (int x = 0; x < width; ++x) source[size_t(y) * size_t(width) + size_t(x)] = qUnpremultiply(row[x]);
    }
    // Only the weights that count: most matrices hold zeros.
    struct Tap {
        int dx;
        int dy;
        float weight;
    };
    std::vector<Tap> taps;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const float w = f.convolution[size_t(r) * size_t(columns) + size_t(c)];
            if (std::isfinite(w) && w != 0.0f) taps.push_back({c - columns / 2, r - rows / 2, w});
        }
    const float divisor = std::isfinite(f.divisor) && f.divisor != 0.0f ? f.divisor : 1.0f;
    const float bias = std::isfinite(f.bias) ? f.bias : 0.0f;
    const QRgb outside = qRgba(f.defaultColor.r, f.defaultColor.g, f.defaultColor.b, f.defaultColor.a);
    auto sample = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            if (!f.clamp) return outside;
            x = std::clamp(x, 0, width - 1);
            y = std::clamp(y, 0, height - 1);
        }
        return source[size_t(y) * size_t(width) + size_t(x)];
    };
    auto channel = [&](float sum) {
        const float v = sum / divisor + bias;
        return std::isfinite(v) ? std::clamp(int(std::lround(v)), 0, 255) : 0;
    };
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(layer.scanLine(bounds.top() + y)) + bounds.left();
        for (int x = 0; x < width; ++x) {
            float sum[4] = {0, 0, 0, 0};
            for (const Tap& t : taps) {
                const QRgb p = sample(x + t.dx, y + t.dy);
                sum[0] += t.weight * float(qRed(p));
                sum[1] += t.weight * float(qGreen(p));
                sum[2] += t.weight * float(qBlue(p));
                sum[3] += t.weight * float(qAlpha(p));
            }
            const int alpha = f.preserveAlpha ? qAlpha(source[size_t(y) * size_t(width) + size_t(x)]) : channel(sum[3]);
            row[x] = qPremultiply(qRgba(channel(sum[0]), channel(sum[1]), channel(sum[2]), alpha));
        }
    }
}

}  // namespace velmora::swf
