#include "swf/format/shape_style_parser.h"

namespace velmora::swf {

namespace {

Rgba color(BitReader& in, int shapeVersion) { return shapeVersion >= 3 ? in.rgba() : in.rgb(); }

uint16_t arrayCount(BitReader& in, bool extendable) {
    uint16_t count = in.u8();
    if (count == 0xFF && extendable) count = in.u16();
    return count;
}

// Each style takes at least this many bytes, so a count larger than the bytes left can be refused
// before anything is allocated for it.
void checkCount(const BitReader& in, size_t count, size_t minBytesEach, const char* what) {
    if (count * minBytesEach > in.remaining()) throw MalformedData(std::string(what) + " is cut short");
}

}  // namespace

Gradient parseGradient(BitReader& in, int shapeVersion, bool focal) {
    Gradient g;
    uint32_t spread = in.ub(2);
    uint32_t interpolation = in.ub(2);
    uint32_t count = in.ub(4);
    if (interpolation > 1) throw MalformedData("a gradient has an unknown interpolation mode");
    // The one spread code the format leaves undefined draws as pad: the shape is otherwise sound.
    g.spread = spread > 2 ? Gradient::Spread::Pad : static_cast<Gradient::Spread>(spread);
    g.interpolation = static_cast<Gradient::Interpolation>(interpolation);
    g.stops.resize(count);
    for (auto& stop : g.stops) {
        stop.ratio = in.u8();
        stop.color = color(in, shapeVersion);
    }
    if (focal) g.focalPoint = in.fixed8();
    return g;
}

FillStyle parseFillStyle(BitReader& in, int shapeVersion) {
    FillStyle fill;
    uint8_t type = in.u8();
    switch (type) {
        case 0x00: fill.color = color(in, shapeVersion); break;
        case 0x10:
        case 0x12:
        case 0x13:
            fill.matrix = in.matrix();
            fill.gradient = parseGradient(in, shapeVersion, type == 0x13);
            break;
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            fill.bitmapId = in.u16();
            fill.matrix = in.matrix();
            break;
        default: throw MalformedData("unknown fill style type " + std::to_string(type));
    }
    fill.type = static_cast<FillStyle::Type>(type);
    return fill;
}

std::vector<FillStyle> parseFillStyles(BitReader& in, int shapeVersion) {
    uint16_t count = arrayCount(in, shapeVersion >= 2);
    checkCount(in, count, 1, "a fill style array");
    std::vector<FillStyle> fills;
    fills.reserve(count);
    for (uint16_t i = 0; i < count; ++i) fills.push_back(parseFillStyle(in, shapeVersion));
    return fills;
}

LineStyleFlags parseLineStyle2Flags(BitReader& in, LineStyle& style) {
    uint32_t startCap = in.ub(2);
    uint32_t join = in.ub(2);
    LineStyleFlags flags;
    flags.hasFill = in.flag();
    style.noHScale = in.flag();
    style.noVScale = in.flag();
    style.pixelHinting = in.flag();
    in.ub(5);
    style.noClose = in.flag();
    uint32_t endCap = in.ub(2);
    if (startCap > 2 || endCap > 2) throw MalformedData("a line style has an unknown cap style");
    if (join > 2) throw MalformedData("a line style has an unknown join style");
    style.startCap = static_cast<LineStyle::Cap>(startCap);
    style.endCap = static_cast<LineStyle::Cap>(endCap);
    style.join = static_cast<LineStyle::Join>(join);
    if (style.join == LineStyle::Join::Miter) style.miterLimit = in.fixed8();
    return flags;
}

std::vector<LineStyle> parseLineStyles(BitReader& in, int shapeVersion) {
    uint16_t count = arrayCount(in, true);
    checkCount(in, count, shapeVersion >= 3 ? 6 : 5, "a line style array");
    std::vector<LineStyle> lines(count);
    for (auto& line : lines) {
        line.width = in.u16();
        if (shapeVersion < 4) {
            line.color = color(in, shapeVersion);
            continue;
        }
        if (parseLineStyle2Flags(in, line).hasFill) {
            line.fill = parseFillStyle(in, shapeVersion);
            if (line.fill->type == FillStyle::Type::Solid) line.color = line.fill->color;
        } else {
            line.color = in.rgba();
        }
    }
    return lines;
}

}  // namespace velmora::swf
