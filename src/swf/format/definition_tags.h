#pragma once

#include "swf/format/parse_context.h"
#include "swf/format/tag_reader.h"

namespace velmora::swf {

// Reads a tag that defines or completes a character (DefineShape..., DefineFontInfo,
// DefineButtonSound, JPEGTables, DefineSprite, ...) into ctx. Returns false when the code is
// not such a tag. A body that does not parse is skipped with a warning naming the tag and the
// character: the movie plays without that character. Limits raise ParseError.
bool parseDefinitionTag(const TagRecord& tag, ParseContext& ctx);

// Reads a tag that describes the movie as a whole (FileAttributes, Metadata, Protect,
// ExportAssets, ImportAssets, DoABC, ScriptLimits, SetTabIndex, EnableDebugger, ...) into
// ctx.movie. Returns false when the code is not such a tag. Same damage rule as above.
bool parseMovieAttributeTag(const TagRecord& tag, ParseContext& ctx);

}  // namespace velmora::swf
