// Where the stage shows the keyboard focus: the box around the focused button or clip.
#include <algorithm>
#include <cmath>

#include "swf/runtime/button_parts.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_geometry.h"
#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

// The box around r carried through m.
Rect through(const Rect& r, const Matrix& m) {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (const double x : {double(r.xMin), double(r.xMax)}) {
        for (const double y : {double(r.yMin), double(r.yMax)}) {
            const double sx = m.a * x + m.c * y + m.tx;
            const double sy = m.b * x + m.d * y + m.ty;
            minX = first ? sx : std::min(minX, sx);
            maxX = first ? sx : std::max(maxX, sx);
            minY = first ? sy : std::min(minY, sy);
            maxY = first ? sy : std::max(maxY, sy);
            first = false;
        }
    }
    // Far beyond any stage is as good as there, and keeps the integers whole.
    auto twips = [](double v) { return static_cast<int32_t>(std::clamp(std::round(v), -1e9, 1e9)); };
    return Rect{twips(minX), twips(maxX), twips(minY), twips(maxY)};
}

// A button's box from the parts its state shows, sprites among them (authors build buttons of
// graphic symbols, which the file keeps as sprites); the records' shapes for a button not yet
// built.
std::optional<Rect> boxOf(const Clip& holder, const DisplayObject& object) {
    if (!object.buttonParts) return objectBounds(object, holder.definitions());
    std::optional<Rect> box;
    for (const auto& [key, part] : object.buttonParts->list()) {
        const auto b = objectBounds(*part, holder.definitions());
        if (!b) continue;
        box = box ? Rect{std::min(box->xMin, b->xMin), std::max(box->xMax, b->xMax), std::min(box->yMin, b->yMin),
                         std::max(box->yMax, b->yMax)}
                  : *b;
    }
    if (!box) return objectBounds(object, holder.definitions());
    return through(*box, object.matrix);
}

}  // namespace

std::optional<Rect> stageBox(const Clip& holder, const DisplayObject& object) {
    const auto box = boxOf(holder, object);
    if (!box) return std::nullopt;
    return through(*box, stageMatrix(holder));
}

std::optional<Rect> focusRectangle(MovieInstance& movie) {
    if (!movie.focusFromKeyboard()) return std::nullopt;
    const Clip* holder = nullptr;
    const DisplayObject* object = nullptr;
    if (DisplayObject* button = movie.focusedButton()) {
        holder = movie.focusedButtonOwner();
        object = button;
    } else if (Clip* clip = movie.focus()) {
        holder = clip->parent();
        object = clip->displayObject();
    }
    if (!holder || !object || !shownOnStage(*holder, *object)) return std::nullopt;
    if (!object->focusRect.value_or(movie.focusRectangles())) return std::nullopt;
    return stageBox(*holder, *object);
}

}  // namespace velmora::swf
