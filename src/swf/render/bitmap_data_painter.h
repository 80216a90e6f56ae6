#pragma once

#include <memory>

#include "swf/format/movie.h"
#include "swf/render/render_resources.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/picture_services.h"

namespace velmora::swf {

// Decoding and drawing for scripts' pictures, with a renderer of its own (so that drawing into a
// picture leaves the stage's caches alone). The host makes one per movie, before the movie's
// instance, and keeps it until the instance is gone. Anything it cannot draw is noted in
// warnings(), as the stage's renderer notes it.
class BitmapDataPainter final : public PictureServices {
public:
    explicit BitmapDataPainter(std::shared_ptr<const Movie> movie);

    bool decodeBitmap(const BitmapCharacter& bitmap, BitmapPixels& out) override;
    void drawClip(const Clip& clip, const Matrix& matrix, const ColorTransform& colorTransform,
                  const std::optional<PixelRect>& clipRect, bool smoothing, BitmapPixels& target) override;
    void drawPicture(const BitmapPixels& source, const Matrix& matrix, const ColorTransform& colorTransform,
                     const std::optional<PixelRect>& clipRect, bool smoothing, BitmapPixels& target) override;

    const RenderWarnings& warnings() const { return resources_.warnings; }

private:
    RenderResources resources_;
    StageRenderer renderer_;
};

// A picture's pixels as a premultiplied image (a copy), and such an image's pixels back into a
// picture of the same size (an opaque picture keeps its alpha at 0xFF).
QImage toImage(const BitmapPixels& pixels);
void fromImage(const QImage& image, BitmapPixels& pixels);

}  // namespace velmora::swf
