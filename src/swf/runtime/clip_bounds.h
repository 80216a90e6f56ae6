#pragma once

#include <optional>

#include "swf/format/geometry.h"

namespace velmora::swf {

class Clip;
struct DisplayObject;
struct Movie;

// The box of a placed object in its parent's coordinates (twips): its character's bounds through
// its matrix, for a sprite the union of its children's. nullopt for something with nothing to
// show (an empty sprite, a sound). movie is where a button finds the parts it names.
enum class BoxRounding { Nearest, Outward };
// The box around r's corners under m, in whole twips: to the nearest (what scripts measure) or
// outwards (what must cover every pixel the rectangle touches).
Rect transformedBox(const Rect& r, const Matrix& m, BoxRounding rounding = BoxRounding::Nearest);

std::optional<Rect> objectBounds(const DisplayObject& object, const Movie& movie);

// The box of a clip's content in its own coordinates (twips), before its own matrix.
std::optional<Rect> contentBounds(const Clip& clip);

}  // namespace velmora::swf
