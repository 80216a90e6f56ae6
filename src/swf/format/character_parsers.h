#pragma once

#include <memory>

#include "swf/format/bit_reader.h"
#include "swf/format/bitmap.h"
#include "swf/format/button.h"
#include "swf/format/font.h"
#include "swf/format/parse_context.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/format/video.h"

namespace velmora::swf {

// The parsers of the character tags, one per family. Each reads the whole body into the model
// and raises MalformedData when the body does not hold together (the caller skips the tag with a
// warning) or ParseError when a limit of ctx is broken. Trailing bytes are ignored.

// DefineShape, DefineShape2, DefineShape3, DefineShape4 (version 1..4).
std::shared_ptr<ShapeCharacter> parseDefineShape(BitReader& in, int version, ParseContext& ctx);
// DefineMorphShape and DefineMorphShape2 (version 1 or 2).
std::shared_ptr<MorphShapeCharacter> parseDefineMorphShape(BitReader& in, int version, ParseContext& ctx);

// DefineFont, DefineFont2, DefineFont3 (version 1..3).
std::shared_ptr<FontCharacter> parseDefineFont(BitReader& in, int version, ParseContext& ctx);
// DefineFontInfo and DefineFontInfo2 (version 1 or 2), DefineFontAlignZones and DefineFontName:
// they complete a font defined earlier; for a font that is absent they warn and do nothing.
void parseDefineFontInfo(BitReader& in, int version, ParseContext& ctx);
void parseDefineFontAlignZones(BitReader& in, ParseContext& ctx);
void parseDefineFontName(BitReader& in, ParseContext& ctx);

// DefineText and DefineText2 (version 1 or 2).
std::shared_ptr<TextCharacter> parseDefineText(BitReader& in, int version, ParseContext& ctx);
std::shared_ptr<EditTextCharacter> parseDefineEditText(BitReader& in, ParseContext& ctx);

// The bitmap tags by their tag code; JPEGTables is stored in ctx.
std::shared_ptr<BitmapCharacter> parseDefineBitmap(BitReader& in, uint16_t tagCode, ParseContext& ctx);

// DefineButton and DefineButton2 (version 1 or 2); DefineButtonSound and DefineButtonCxform
// complete a button defined earlier.
std::shared_ptr<ButtonCharacter> parseDefineButton(BitReader& in, int version, ParseContext& ctx);
void parseDefineButtonSound(BitReader& in, ParseContext& ctx);
void parseDefineButtonCxform(BitReader& in, ParseContext& ctx);

std::shared_ptr<VideoStreamCharacter> parseDefineVideoStream(BitReader& in);

}  // namespace velmora::swf
