#include "swf/runtime/bitmap_pixels.h"

#include <algorithm>

namespace velmora::swf {

bool BitmapPixels::allocate(int w, int h, bool isTransparent, uint32_t colour) {
    release();
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return false;
    width = w;
    height = h;
    transparent = isTransparent;
    argb.assign(size_t(w) * size_t(h), transparent ? colour : colour | 0xFF000000u);
    return true;
}

void BitmapPixels::release() {
    width = 0;
    height = 0;
    argb.clear();
    argb.shrink_to_fit();
}

void BitmapPixels::fill(int x, int y, int w, int h, uint32_t colour) {
    if (empty()) return;
    // Sides in 64 bits: a script may give a rectangle reaching past the integers.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, width);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h, height);
    if (!transparent) colour |= 0xFF000000u;
    for (int64_t row = top; row < bottom; ++row)
        std::fill_n(argb.begin() + row * width + left, std::max<int64_t>(0, right - left), colour);
}

uint32_t blendOver(uint32_t a, uint32_t b) {
    const uint32_t sa = a >> 24;
    if (sa == 255) return a;
    if (sa == 0) return b;
    const uint32_t da = b >> 24;
    // Result alpha and colour in 0..255 * 255 units, then divided back out.
    const uint32_t outA = sa * 255 + da * (255 - sa);
    if (outA == 0) return 0;
    auto channel = [&](int shift) {
        const uint32_t s = (a >> shift) & 0xFF;
        const uint32_t d = (b >> shift) & 0xFF;
        return (s * sa * 255 + d * da * (255 - sa) + outA / 2) / outA;
    };
    return ((outA + 127) / 255) << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
}

}  // namespace velmora::swf
