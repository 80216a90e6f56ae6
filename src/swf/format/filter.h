#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/format/shape.h"

namespace velmora::swf {

// A bitmap filter of PlaceObject3 or a button record, as stored.
struct Filter {
    enum class Type : uint8_t {
        DropShadow = 0,
        Blur = 1,
        Glow = 2,
        Bevel = 3,
        GradientGlow = 4,
        Convolution = 5,
        ColorMatrix = 6,
        GradientBevel = 7,
    };

    Type type = Type::Blur;
    Rgba color;           // shadow / glow colour
    Rgba highlightColor;  // bevel
    double blurX = 0.0;   // pixels
    double blurY = 0.0;
    double angle = 0.0;   // radians
    double distance = 0.0;  // pixels
    double strength = 1.0;
    bool inner = false;
    bool knockout = false;
    bool compositeSource = true;
    bool onTop = false;
    int passes = 1;
    std::vector<GradientStop> gradient;  // gradient glow and bevel
    std::array<float, 20> colorMatrix{};
    // Convolution
    uint8_t matrixX = 0;
    uint8_t matrixY = 0;
    float divisor = 1.0f;
    float bias = 0.0f;
    std::vector<float> convolution;
    Rgba defaultColor;
    bool clamp = false;
    bool preserveAlpha = false;
};

// The blend modes of PlaceObject3 and button records, by their file values.
enum class BlendMode : uint8_t {
    Normal = 1,  // 0 also means normal
    Layer = 2,
    Multiply = 3,
    Screen = 4,
    Lighten = 5,
    Darken = 6,
    Difference = 7,
    Add = 8,
    Subtract = 9,
    Invert = 10,
    Alpha = 11,
    Erase = 12,
    Overlay = 13,
    HardLight = 14,
};

}  // namespace velmora::swf
