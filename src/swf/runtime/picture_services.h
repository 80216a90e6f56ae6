#pragma once

#include <optional>

#include "swf/format/bitmap.h"
#include "swf/format/geometry.h"
#include "swf/runtime/bitmap_pixels.h"

namespace velmora::swf {

class Clip;

// A rectangle in a picture's pixels.
struct PixelRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// What scripts' pictures (BitmapData) need from the renderer, which the runtime cannot reach
// itself: decoding the movie's bitmaps and drawing clips and pictures into pixels. The host that
// plays the movie gives one to its MovieInstance (see MovieInstance::Options::pictures); without
// one, BitmapData.loadBitmap finds nothing and draw draws nothing.
class PictureServices {
public:
    virtual ~PictureServices() = default;

    // Decodes one of the movie's bitmaps into out (opaque or transparent as the bitmap is).
    // Returns false, leaving out as it was, when it cannot be decoded.
    virtual bool decodeBitmap(const BitmapCharacter& bitmap, BitmapPixels& out) = 0;

    // Draws clip as the stage would show it without its own placement (its drawing, then its
    // children) onto target. matrix maps the clip's pixels to target's; the colour transform
    // applies to all of it; only the part of target inside clipRect (target pixels) changes when
    // one is given; smoothing smooths bitmaps that are scaled or turned.
    virtual void drawClip(const Clip& clip, const Matrix& matrix, const ColorTransform& colorTransform,
                          const std::optional<PixelRect>& clipRect, bool smoothing, BitmapPixels& target) = 0;
    // The same for another picture, its pixels through matrix. source may be target itself.
    virtual void drawPicture(const BitmapPixels& source, const Matrix& matrix, const ColorTransform& colorTransform,
                             const std::optional<PixelRect>& clipRect, bool smoothing, BitmapPixels& target) = 0;
};

}  // namespace velmora::swf
