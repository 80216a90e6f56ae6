#include "swf/format/character_parsers.h"
#include "swf/format/shape_record_parser.h"
#include "swf/format/shape_style_parser.h"

namespace velmora::swf {

namespace {

uint16_t arrayCount(BitReader& in) {
    uint16_t count = in.u8();
    if (count == 0xFF) count = in.u16();
    return count;
}

void readMorphGradient(BitReader& in, FillStyle& start, FillStyle& end, bool focal) {
    // The count byte carries the spread and interpolation modes in its high bits, as in shapes.
    uint32_t spread = in.ub(2);
    uint32_t interpolation = in.ub(2);
    uint32_t count = in.ub(4);
    if (interpolation > 1) throw MalformedData("a morph gradient has an unknown interpolation mode");
    if (count == 0) throw MalformedData("a morph gradient has no colours");
    for (FillStyle* f : {&start, &end}) {
        f->gradient.spread = spread > 2 ? Gradient::Spread::Pad : static_cast<Gradient::Spread>(spread);
        f->gradient.interpolation = static_cast<Gradient::Interpolation>(interpolation);
        f->gradient.stops.resize(count);
    }
    for (uint32_t i = 0; i < count; ++i) {
        start.gradient.stops[i].ratio = in.u8();
        start.gradient.stops[i].color = in.rgba();
        end.gradient.stops[i].ratio = in.u8();
        end.gradient.stops[i].color = in.rgba();
    }
    if (focal) {
        start.gradient.focalPoint = in.fixed8();
        end.gradient.focalPoint = in.fixed8();
    }
}

MorphShapeCharacter::MorphFill readMorphFill(BitReader& in) {
    MorphShapeCharacter::MorphFill fill;
    uint8_t type = in.u8();
    switch (type) {
        case 0x00:
            fill.start.color = in.rgba();
            fill.end.color = in.rgba();
            break;
        case 0x10:
        case 0x12:
        case 0x13:
            fill.start.matrix = in.matrix();
            fill.end.matrix = in.matrix();
            readMorphGradient(in, fill.start, fill.end, type == 0x13);
            break;
        case 0x40:
        case 0x41:
        case 0x42:
        case 0x43:
            fill.start.bitmapId = fill.end.bitmapId = in.u16();
            fill.start.matrix = in.matrix();
            fill.end.matrix = in.matrix();
            break;
        default: throw MalformedData("unknown morph fill style type " + std::to_string(type));
    }
    fill.start.type = fill.end.type = static_cast<FillStyle::Type>(type);
    return fill;
}

MorphShapeCharacter::MorphLine readMorphLine(BitReader& in, int version) {
    MorphShapeCharacter::MorphLine line;
    line.start.width = in.u16();
    line.end.width = in.u16();
    if (version == 1) {
        line.start.color = in.rgba();
        line.end.color = in.rgba();
        return line;
    }
    bool hasFill = parseLineStyle2Flags(in, line.start).hasFill;
    uint16_t endWidth = line.end.width;
    line.end = line.start;  // caps, joins and scaling are shared by both ends
    line.end.width = endWidth;
    if (hasFill) {
        auto fill = readMorphFill(in);
        line.start.fill = fill.start;
        line.end.fill = fill.end;
        if (fill.start.type == FillStyle::Type::Solid) {
            line.start.color = fill.start.color;
            line.end.color = fill.end.color;
        }
    } else {
        line.start.color = in.rgba();
        line.end.color = in.rgba();
    }
    return line;
}

size_t edgeCount(const std::vector<ShapeRecord>& records) {
    size_t n = 0;
    for (const auto& r : records) n += !std::holds_alternative<StyleChangeRecord>(r);
    return n;
}

}  // namespace

std::shared_ptr<MorphShapeCharacter> parseDefineMorphShape(BitReader& in, int version, ParseContext& ctx) {
    auto morph = std::make_shared<MorphShapeCharacter>(in.u16());
    morph->version = version;
    morph->startBounds = in.rect();
    morph->endBounds = in.rect();
    morph->startEdgeBounds = morph->startBounds;
    morph->endEdgeBounds = morph->endBounds;
    if (version == 2) {
        morph->startEdgeBounds = in.rect();
        morph->endEdgeBounds = in.rect();
        in.ub(6);
        morph->usesNonScalingStrokes = in.flag();
        morph->usesScalingStrokes = in.flag();
    }
    uint32_t endEdgesOffset = in.u32();
    size_t offsetBase = in.position();

    uint16_t fills = arrayCount(in);
    if (fills > in.remaining()) throw MalformedData("a morph fill style array is cut short");
    morph->fillStyles.reserve(fills);
    for (uint16_t i = 0; i < fills; ++i) morph->fillStyles.push_back(readMorphFill(in));
    uint16_t lines = arrayCount(in);
    if (lines > in.remaining()) throw MalformedData("a morph line style array is cut short");
    morph->lineStyles.reserve(lines);
    for (uint16_t i = 0; i < lines; ++i) morph->lineStyles.push_back(readMorphLine(in, version));

    uint32_t fillBits = in.ub(4);
    uint32_t lineBits = in.ub(4);
    parseShapeRecords(in, 3, fillBits, lineBits, ctx, morph->startRecords, nullptr);

    // The offset says where the end edges begin; it is the authority, since some encoders pad
    // between the two record lists. An offset past the tag means the end edges are missing.
    BitReader endIn(in.bytes());
    size_t endStart = offsetBase + endEdgesOffset;
    if (endEdgesOffset == 0) {
        endStart = in.position();
    } else if (endStart >= in.bytes().size()) {
        throw MalformedData("the end edges of a morph shape are missing");
    }
    endIn.skip(endStart);
    fillBits = endIn.ub(4);
    lineBits = endIn.ub(4);
    parseShapeRecords(endIn, 3, fillBits, lineBits, ctx, morph->endRecords, nullptr);

    // A morph is drawn by pairing each start edge with an end edge: lists that do not pair up
    // cannot be drawn at any ratio.
    if (edgeCount(morph->startRecords) != edgeCount(morph->endRecords)) {
        throw MalformedData("the start and end edges of a morph shape do not pair up");
    }
    return morph;
}

}  // namespace velmora::swf
