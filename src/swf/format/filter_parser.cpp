#include "swf/format/filter_parser.h"

namespace velmora::swf {

namespace {

void readBlur(BitReader& in, Filter& f) {
    f.blurX = in.fixed16();
    f.blurY = in.fixed16();
}

void readGradientStops(BitReader& in, Filter& f) {
    uint8_t count = in.u8();
    f.gradient.resize(count);
    for (auto& stop : f.gradient) stop.color = in.rgba();
    for (auto& stop : f.gradient) stop.ratio = in.u8();
}

// The flag byte closing the shadow, glow and bevel filters. Bevels and gradient filters carry
// OnTop and a 4-bit pass count; the others a 5-bit one.
void readFlags(BitReader& in, Filter& f, bool withOnTop) {
    f.inner = in.flag();
    f.knockout = in.flag();
    f.compositeSource = in.flag();
    if (withOnTop) {
        f.onTop = in.flag();
        f.passes = static_cast<int>(in.ub(4));
    } else {
        f.passes = static_cast<int>(in.ub(5));
    }
}

// Angle, distance and strength followed by the flag byte: the tail of the shadow, bevel and
// gradient filters (the glow has only the strength and the flags).
void readOffsetStrengthAndFlags(BitReader& in, Filter& f, bool withOnTop) {
    f.angle = in.fixed16();
    f.distance = in.fixed16();
    f.strength = in.fixed8();
    readFlags(in, f, withOnTop);
}

Filter readFilter(BitReader& in) {
    Filter f;
    uint8_t type = in.u8();
    switch (type) {
        case 0:  // drop shadow
            f.type = Filter::Type::DropShadow;
            f.color = in.rgba();
            readBlur(in, f);
            readOffsetStrengthAndFlags(in, f, false);
            break;
        case 1:
            f.type = Filter::Type::Blur;
            readBlur(in, f);
            f.passes = static_cast<int>(in.ub(5));
            in.ub(3);
            break;
        case 2:
            f.type = Filter::Type::Glow;
            f.color = in.rgba();
            readBlur(in, f);
            f.strength = in.fixed8();
            readFlags(in, f, false);
            break;
        case 3:
            f.type = Filter::Type::Bevel;
            f.color = in.rgba();
            f.highlightColor = in.rgba();
            readBlur(in, f);
            readOffsetStrengthAndFlags(in, f, true);
            break;
        case 4:
        case 7:
            f.type = type == 4 ? Filter::Type::GradientGlow : Filter::Type::GradientBevel;
            readGradientStops(in, f);
            readBlur(in, f);
            readOffsetStrengthAndFlags(in, f, true);
            break;
        case 5: {
            f.type = Filter::Type::Convolution;
            f.matrixX = in.u8();
            f.matrixY = in.u8();
            f.divisor = in.f32();
            f.bias = in.f32();
            size_t cells = static_cast<size_t>(f.matrixX) * f.matrixY;
            if (cells * 4 > in.remaining()) throw MalformedData("a convolution filter is cut short");
            f.convolution.resize(cells);
            for (auto& v : f.convolution) v = in.f32();
            f.defaultColor = in.rgba();
            in.ub(6);
            f.clamp = in.flag();
            f.preserveAlpha = in.flag();
            break;
        }
        case 6:
            f.type = Filter::Type::ColorMatrix;
            for (auto& v : f.colorMatrix) v = in.f32();
            break;
        default:
            throw MalformedData("unknown filter type " + std::to_string(type));
    }
    return f;
}

}  // namespace

std::vector<Filter> parseFilterList(BitReader& in) {
    uint8_t count = in.u8();
    std::vector<Filter> filters;
    filters.reserve(count);
    for (uint8_t i = 0; i < count; ++i) filters.push_back(readFilter(in));
    return filters;
}

}  // namespace velmora::swf
