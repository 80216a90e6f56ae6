#include "swf/runtime/clip_geometry.h"

#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/outline_hit.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

bool inside(const Rect& r, double x, double y) { return x >= r.xMin && x <= r.xMax && y >= r.yMin && y <= r.yMax; }

}  // namespace

namespace {

bool objectHit(const Clip& owner, const DisplayObject& object, double x, double y);

// Whether a mask object (one with a clip depth, or a clip a script made a mask) covers the point,
// given in the coordinates of the list the mask stands on.
bool maskCovers(const Clip& owner, const DisplayObject& mask, double x, double y) {
    if (mask.clip) {
        double lx = x, ly = y;
        return applyInverse(mask.matrix, lx, ly) && shapeHit(*mask.clip, lx, ly, true);
    }
    return objectHit(owner, mask, x, y);
}

// Whether what object shows covers (x, y), in the coordinates of owner's list: shapes and
// drawings by their outlines, texts, buttons and morph shapes by their boxes.
bool objectHit(const Clip& owner, const DisplayObject& object, double x, double y) {
    if (object.clip) {
        double lx = x, ly = y;
        return applyInverse(object.matrix, lx, ly) && shapeHit(*object.clip, lx, ly);
    }
    if (object.character && object.character->kind == CharacterKind::Shape) {
        double lx = x, ly = y;
        return applyInverse(object.matrix, lx, ly) &&
               shapeCovers(static_cast<const ShapeCharacter&>(*object.character), lx, ly);
    }
    const auto box = objectBounds(object, owner.definitions());
    return box && inside(*box, x, y);
}

// Whether the masks over object let the point through: the mask layers below it whose clip depth
// reaches it, and the clip a script set as its mask (tested where it stands on the stage).
bool unmasked(const Clip& clip, const DisplayObject& object, double x, double y) {
    for (const auto& [depth, mask] : clip.displayList()) {
        if (depth >= object.depth) break;
        if (mask->clipDepth != 0 && object.depth <= mask->clipDepth && mask->character &&
            !maskCovers(clip, *mask, x, y)) {
            return false;
        }
    }
    if (const Clip* mask = object.scriptMask.get()) {
        const Matrix toStage = stageMatrix(clip);
        const double sx = toStage.a * x + toStage.c * y + toStage.tx;
        const double sy = toStage.b * x + toStage.d * y + toStage.ty;
        double mx = sx, my = sy;
        if (!applyInverse(stageMatrix(*mask), mx, my) || !shapeHit(*mask, mx, my, true)) return false;
    }
    return true;
}

}  // namespace

bool shapeHit(const Clip& clip, double x, double y, bool asMask) {
    if (const ClipDrawing* drawing = clip.drawingIfAny(); drawing && drawingCovers(*drawing, x, y)) return true;
    for (const auto& [depth, object] : clip.displayList()) {
        // A mask draws nothing of its own, and neither does what is hidden; a clip used as a mask
        // still masks with all of its shapes.
        if (!object->character || object->clipDepth != 0) continue;
        if (!asMask && (!object->visible || object->maskOnly)) continue;
        if (objectHit(clip, *object, x, y) && (asMask || unmasked(clip, *object, x, y))) return true;
    }
    return false;
}

namespace {

bool within(const Clip* clip, const Clip* ancestor) {
    for (; clip; clip = clip->parent()) {
        if (clip == ancestor) return true;
    }
    return false;
}

const Clip* search(const Clip& clip, double x, double y, const Clip* except) {
    const auto& list = clip.displayList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const DisplayObject& object = *it->second;
        if (!object.visible || !object.character || object.clipDepth != 0) continue;
        double lx = x, ly = y;
        if (!applyInverse(object.matrix, lx, ly)) continue;
        if (object.clip) {
            if (object.clip.get() == except) continue;
            if (const Clip* inner = search(*object.clip, lx, ly, except)) return inner;
            if (!within(except, object.clip.get()) && shapeHit(*object.clip, lx, ly)) return object.clip.get();
        } else if (const auto box = objectBounds(object, clip.definitions()); box && inside(*box, x, y)) {
            return nullptr;  // something that is no clip lies on top
        }
    }
    return nullptr;
}

}  // namespace

Matrix stageMatrix(const Clip& clip) {
    Matrix toStage;
    for (const Clip* c = &clip; c && !c->isRoot(); c = c->parent()) {
        if (const DisplayObject* self = c->displayObject()) toStage = self->matrix * toStage;
    }
    return toStage;
}

bool applyInverse(const Matrix& m, double& x, double& y) {
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0.0 || !std::isfinite(det)) return false;
    const double px = x - m.tx, py = y - m.ty;
    x = (m.d * px - m.c * py) / det;
    y = (-m.b * px + m.a * py) / det;
    return true;
}

std::optional<Rect> boundsIn(const Clip& clip, const Clip& space) {
    const auto box = contentBounds(clip);
    if (!box) return std::nullopt;
    const Matrix toStage = stageMatrix(clip);
    const Matrix fromStage = stageMatrix(space);
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (const double cx : {double(box->xMin), double(box->xMax)}) {
        for (const double cy : {double(box->yMin), double(box->yMax)}) {
            double x = toStage.a * cx + toStage.c * cy + toStage.tx;
            double y = toStage.b * cx + toStage.d * cy + toStage.ty;
            if (!applyInverse(fromStage, x, y)) return std::nullopt;
            minX = first ? x : std::min(minX, x);
            maxX = first ? x : std::max(maxX, x);
            minY = first ? y : std::min(minY, y);
            maxY = first ? y : std::max(maxY, y);
            first = false;
        }
    }
    auto twips = [](double v) { return static_cast<int32_t>(std::clamp(std::round(v), -1e9, 1e9)); };
    return Rect{twips(minX), twips(maxX), twips(minY), twips(maxY)};
}

bool hitsPoint(const Clip& clip, double stageX, double stageY, bool shape) {
    double x = stageX, y = stageY;
    if (!applyInverse(stageMatrix(clip), x, y)) return false;
    if (shape) {
        if (!shapeHit(clip, x, y)) return false;
        // The masks over the clip itself, and over each clip that holds it, count too.
        for (const Clip* c = &clip; c->parent(); c = c->parent()) {
            const DisplayObject* self = c->displayObject();
            double px = stageX, py = stageY;
            if (!self || !applyInverse(stageMatrix(*c->parent()), px, py)) continue;
            if (!unmasked(*c->parent(), *self, px, py)) return false;
        }
        return true;
    }
    const auto box = contentBounds(clip);
    return box && inside(*box, x, y);
}

const Clip* topmostClipAt(const Clip& root, double stageX, double stageY, const Clip* except) {
    return search(root, stageX, stageY, except);
}

}  // namespace velmora::swf
