#pragma once

#include <vector>

#include "swf/format/bit_reader.h"
#include "swf/format/shape.h"

namespace velmora::swf {

// The style arrays of DefineShape1..4 (shapeVersion 1..4): colours are RGB up to version 2 and
// RGBA from 3, line styles are the extended form in version 4. Raise MalformedData for a cut-short
// array or a style type, spread, interpolation, cap or join the format does not define.
std::vector<FillStyle> parseFillStyles(BitReader& in, int shapeVersion);
std::vector<LineStyle> parseLineStyles(BitReader& in, int shapeVersion);
FillStyle parseFillStyle(BitReader& in, int shapeVersion);
// A GRADIENT (or, when focal, a FOCALGRADIENT) record.
Gradient parseGradient(BitReader& in, int shapeVersion, bool focal);
// The flags word of a version-4 line style; shared with morph line styles.
struct LineStyleFlags {
    bool hasFill = false;
};
LineStyleFlags parseLineStyle2Flags(BitReader& in, LineStyle& style);

}  // namespace velmora::swf
