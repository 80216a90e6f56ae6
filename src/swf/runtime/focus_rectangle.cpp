// Where the stage shows the keyboard focus: the box around the focused button or clip.
#include <algorithm>
#include <cmath>

#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_geometry.h"
#include "swf/runtime/keyboard_focus.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

std::optional<Rect> stageBox(const Clip& holder, const DisplayObject& object) {
    const auto box = objectBounds(object, holder.definitions());
    if (!box) return std::nullopt;
    const Matrix m = stageMatrix(holder);
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (const double x : {double(box->xMin), double(box->xMax)}) {
        for (const double y : {double(box->yMin), double(box->yMax)}) {
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
