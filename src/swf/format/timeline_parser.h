#pragma once

#include <cstdint>
#include <span>

#include "swf/format/parse_context.h"
#include "swf/format/timeline.h"

namespace velmora::swf {

// Reads the tag records of one timeline (the movie's body, or the records inside a DefineSprite)
// into timeline: a frame per ShowFrame, control tags and labels in file order; definitions and
// movie-wide tags go to ctx. Stops at End or when the records run out.
//
// Damage is contained: a control tag that does not parse is dropped with a warning, a record cut
// off by the end of the data ends the timeline with a warning. Only limits (frames, tags per
// frame, nesting, characters) raise ParseError.
void parseTimeline(std::span<const uint8_t> records, ParseContext& ctx, Timeline& timeline);

}  // namespace velmora::swf
