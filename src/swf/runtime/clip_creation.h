#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "swf/format/character.h"
#include "swf/runtime/display_object.h"

namespace velmora::swf {

class Clip;
struct Movie;

// The character movie exports under a linkage name (ExportAssets): as written, else, unless
// caseSensitive, regardless of ASCII case, as names are matched in movies made before case
// mattered. found, if given, receives the name as the movie writes it. Null when none.
std::shared_ptr<const Character> exportedCharacter(const Movie& movie, const std::string& linkage, bool caseSensitive,
                                                   std::string* found = nullptr);

// The display-list side of clips made by scripts (attachMovie, createEmptyMovieClip,
// swapDepths). Depths here are the display list's (see DisplayList); the script methods convert
// from the script's numbering. Objects placed here are the script's own (placedByScript): the
// timeline's frames and gotos leave them alone until a script removes them.

// Whether a script's depth lies in the range scripts may use; the display list's depth for it.
std::optional<int32_t> displayDepthOfScriptDepth(double scriptDepth);

// Places a new instance of sprite named `name` at `depth` of parent, replacing whatever stood
// there. Returns the new clip, or nullptr (nothing changed but the replaced object) when the
// character is not a sprite or a limit refuses it. The clip shows its first frame at once; its
// scripts are queued.
Clip* attachSprite(Clip& parent, std::shared_ptr<const Character> sprite, const std::string& name, int32_t depth);

// Places a new clip with one empty frame, as attachSprite does.
Clip* createEmptyClip(Clip& parent, const std::string& name, int32_t depth);

// Moves clip to `depth` of its parent; whatever stands there takes clip's old depth. Both become
// the script's. Returns false for the root and for a depth outside the display list's range.
bool moveClipToDepth(Clip& clip, int32_t depth);

// One above the highest depth on parent's display list, and never below the script's depth 0:
// the display list's depth for getNextHighestDepth.
int32_t nextHighestDepth(const Clip& parent);

}  // namespace velmora::swf
