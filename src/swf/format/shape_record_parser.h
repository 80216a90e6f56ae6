#pragma once

#include <cstdint>
#include <vector>

#include "swf/format/bit_reader.h"
#include "swf/format/parse_context.h"
#include "swf/format/shape.h"

namespace velmora::swf {

// Reads shape records up to and including the end record, appending them to out. fillBits and
// lineBits are the index widths in force at the start; new style arrays inside change them.
// shapeVersion picks the style layout of those arrays (1..4; glyphs use 1). moveTo coordinates are
// absolute, as stored. The arrays of records with hasNewStyles are appended to newStyles, in order;
// when it is null they are read past and dropped.
//
// Raises MalformedData when the records run past the data (no end record), and ParseError when
// more than ctx.limits.maxShapeRecords records are read or the model grows past its budget.
void parseShapeRecords(BitReader& in, int shapeVersion, uint32_t fillBits, uint32_t lineBits, ParseContext& ctx,
                       std::vector<ShapeRecord>& out, std::vector<ShapeStyleArrays>* newStyles);

}  // namespace velmora::swf
