#pragma once

#include "swf/format/text.h"
#include "swf/render/render_resources.h"
#include "swf/render/text_geometry.h"

namespace velmora::swf {

// The outlines of a DefineText/DefineText2, in the text's own twips (before its matrix). Each
// record changes only the font, colour, offsets or height it names. A record naming a missing
// font, or a glyph index past the font's end, is skipped with a warning; the pen still advances
// by the glyph's advance so the rest of the line stays in place.
TextGeometry buildStaticText(const TextCharacter& text, RenderResources& resources);

}  // namespace velmora::swf
