#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::swf {

// The pixels of a picture made while the movie runs (a script's BitmapData): one 32-bit word a
// pixel, 0xAARRGGBB with the colour not multiplied by alpha, rows from the top. Shared by the
// script object that owns it and by whatever shows it (a bitmap fill, an attached bitmap), which
// see its changes at once. An opaque picture keeps every alpha at 0xFF.
struct BitmapPixels {
    // The largest side a picture may have: what the format's players of the same generation allow.
    static constexpr int kMaxSide = 2880;

    int width = 0;
    int height = 0;
    bool transparent = true;
    std::vector<uint32_t> argb;

    // Makes a width x height picture filled with colour; false (and an empty picture) when a side
    // is not within 1..kMaxSide.
    bool allocate(int w, int h, bool isTransparent, uint32_t colour);
    // Frees the pixels; the picture is empty from then on.
    void release();

    bool empty() const { return width <= 0 || height <= 0 || argb.size() != size_t(width) * size_t(height); }
    bool contains(int x, int y) const { return !empty() && x >= 0 && y >= 0 && x < width && y < height; }
    // The pixel at (x, y); 0 outside.
    uint32_t at(int x, int y) const { return contains(x, y) ? argb[size_t(y) * size_t(width) + size_t(x)] : 0; }
    // Sets the pixel at (x, y), forcing alpha to 0xFF on an opaque picture; nothing outside.
    void set(int x, int y, uint32_t colour) {
        if (contains(x, y)) argb[size_t(y) * size_t(width) + size_t(x)] = transparent ? colour : colour | 0xFF000000u;
    }
    // Fills the part of the rectangle that lies inside the picture.
    void fill(int x, int y, int w, int h, uint32_t colour);
};

// a drawn over b ("source over"), both unpremultiplied ARGB.
uint32_t blendOver(uint32_t a, uint32_t b);

}  // namespace velmora::swf
