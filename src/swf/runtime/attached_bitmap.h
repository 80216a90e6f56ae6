#pragma once

#include <cstdint>
#include <memory>

#include "swf/runtime/bitmap_pixels.h"

namespace velmora::swf {

class Clip;

// Shows a script's picture in clip at depth (attachBitmap), replacing what stood there. The
// picture stands in a clip of its own with no timeline, its drawing a rectangle of the picture's
// size filled with it, one picture pixel to one movie pixel from the clip's origin: so it is drawn,
// measured and hit like any drawing, and shows the picture's later changes. smoothing smooths it
// when scaled. Returns false, changing nothing, past the movie's object or nesting limits or for an
// empty picture.
bool attachBitmap(Clip& clip, int32_t depth, std::shared_ptr<const BitmapPixels> pixels, bool smoothing);

}  // namespace velmora::swf
