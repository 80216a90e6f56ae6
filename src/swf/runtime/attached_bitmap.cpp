#include "swf/runtime/attached_bitmap.h"

#include "swf/format/sprite.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"

namespace velmora::swf {

bool attachBitmap(Clip& clip, int32_t depth, std::shared_ptr<const BitmapPixels> pixels, bool smoothing) {
    MovieInstance& movie = clip.movie();
    if (!pixels || pixels->empty()) return false;
    if (clip.nesting() + 1 > movie.limits().maxClipNesting) return false;
    DisplayList& list = clip.displayList();
    // What stood there leaves the stage as any removed object does (its unload handlers run).
    if (const auto it = list.find(depth); it != list.end()) removeObject(clip, it);
    if (!movie.reserveDisplayObject()) {
        movie.report(DiagnosticRoom::Movie,
                     "too many objects on stage: the object at depth " + std::to_string(depth) + " is not shown",
                     "too many objects on stage");
        return false;
    }
    auto object = std::make_unique<DisplayObject>();
    object->depth = depth;
    // The script's own: the timeline's frames and gotos leave it alone.
    object->placedByScript = true;
    // A sprite of no frames: the holder's timeline, kept alive by the object as any sprite is.
    auto holder = std::make_shared<SpriteCharacter>(0);
    object->clip = std::make_unique<Clip>(movie, holder->timeline, &clip, object.get(), 0, clip.nesting() + 1);
    object->character = std::move(holder);
    const double w = pixels->width * kTwipsPerPixel;
    const double h = pixels->height * kTwipsPerPixel;
    DrawingFill fill;
    fill.style.type = smoothing ? FillStyle::Type::ClippedBitmap : FillStyle::Type::NonSmoothedClippedBitmap;
    fill.style.matrix = Matrix{kTwipsPerPixel, 0, 0, kTwipsPerPixel, 0, 0};
    fill.style.bitmapId = 0xFFFF;
    fill.bitmap = std::move(pixels);
    ClipDrawing& drawing = object->clip->drawing();
    drawing.beginFill(std::move(fill));
    drawing.lineTo(w, 0);
    drawing.lineTo(w, h);
    drawing.lineTo(0, h);
    drawing.endFill();
    list[depth] = std::move(object);
    movie.noteChange();
    return true;
}

}  // namespace velmora::swf
