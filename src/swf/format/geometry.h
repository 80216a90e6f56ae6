#pragma once

#include <cstdint>

namespace velmora::swf {

// Twips are the format's unit of length: 20 to the pixel.
constexpr double kTwipsPerPixel = 20.0;

// An axis-aligned rectangle in twips, as the format stores it (min and max, not size).
struct Rect {
    int32_t xMin = 0;
    int32_t xMax = 0;
    int32_t yMin = 0;
    int32_t yMax = 0;

    // Wide enough for any pair of 32-bit edges: a hostile file may put them 2^32 twips apart.
    int64_t width() const { return int64_t{xMax} - xMin; }
    int64_t height() const { return int64_t{yMax} - yMin; }
};

// An affine transform. The point (x, y) maps to (a*x + c*y + tx, b*x + d*y + ty).
// a, b, c, d are plain factors (the file's 16.16 fixed point already divided out); tx, ty are in
// twips.
struct Matrix {
    double a = 1.0;
    double b = 0.0;
    double c = 0.0;
    double d = 1.0;
    double tx = 0.0;
    double ty = 0.0;

    // this applied after other: (this * other)(p) == this(other(p)).
    Matrix operator*(const Matrix& other) const {
        return {a * other.a + c * other.b,           b * other.a + d * other.b,
                a * other.c + c * other.d,           b * other.c + d * other.d,
                a * other.tx + c * other.ty + tx,    b * other.tx + d * other.ty + ty};
    }
};

struct Rgba {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 255;

    bool operator==(const Rgba&) const = default;
};

// A colour transform: each channel becomes clamp(channel * mult + add, 0, 255). The file's
// 8.8 multipliers are already divided by 256; adds are in channel units (-255..255 and beyond).
struct ColorTransform {
    double rMult = 1.0;
    double gMult = 1.0;
    double bMult = 1.0;
    double aMult = 1.0;
    int32_t rAdd = 0;
    int32_t gAdd = 0;
    int32_t bAdd = 0;
    int32_t aAdd = 0;

    // this applied after inner.
    ColorTransform operator*(const ColorTransform& inner) const {
        return {rMult * inner.rMult, gMult * inner.gMult, bMult * inner.bMult, aMult * inner.aMult,
                static_cast<int32_t>(rAdd + rMult * inner.rAdd), static_cast<int32_t>(gAdd + gMult * inner.gAdd),
                static_cast<int32_t>(bAdd + bMult * inner.bAdd), static_cast<int32_t>(aAdd + aMult * inner.aAdd)};
    }

    bool isIdentity() const {
        return rMult == 1.0 && gMult == 1.0 && bMult == 1.0 && aMult == 1.0 && rAdd == 0 && gAdd == 0 &&
               bAdd == 0 && aAdd == 0;
    }
};

}  // namespace velmora::swf
