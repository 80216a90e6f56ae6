#include "swf/runtime/changed_area.h"

#include <algorithm>
#include <cmath>

#include "swf/format/movie.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/format/video.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/display_object.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

using Box = std::optional<Rect>;  // nullopt: shows nothing

// Sprites nested deeper than this are not measured (the renderer draws no deeper either).
constexpr int kDeepest = 64;

Rect unite(const Rect& a, const Rect& b) {
    return {std::min(a.xMin, b.xMin), std::max(a.xMax, b.xMax), std::min(a.yMin, b.yMin), std::max(a.yMax, b.yMax)};
}

void uniteInto(Box& box, const Rect& r) { box = box ? unite(*box, r) : r; }

int32_t toTwips(double v, bool up) {
    // Rounded outwards, and kept from overflowing the integer box by absurd matrices.
    const double rounded = up ? std::ceil(v) : std::floor(v);
    return static_cast<int32_t>(std::clamp(std::isfinite(rounded) ? rounded : 0.0, -1e9, 1e9));
}

int32_t lerp(int32_t a, int32_t b, double t, bool up) { return toTwips(a + (b - a) * t, up); }

bool hasScalingGrid(const DisplayObject& object, const Movie& definitions) {
    return object.scale9Grid || (object.character && definitions.scalingGrids.count(object.character->id) > 0);
}

// The box of what object draws, in its parent's coordinates; false when the boxes cannot say.
// definitions is the dictionary of the clip showing it.
bool shownBox(const DisplayObject& object, const Movie& definitions, int depthLeft, Box& box) {
    box.reset();
    if (!object.character) return true;
    // Filters draw beyond the object; a scaling grid moves its parts apart from their matrices.
    if (!object.filters.empty() || hasScalingGrid(object, definitions)) return false;
    const Character& c = *object.character;
    Box inner;
    if (object.clip) {
        const Clip& clip = *object.clip;
        if (depthLeft <= 0) return false;
        // Lines drawn by scripts reach past the points they join.
        if (const ClipDrawing* drawing = clip.drawingIfAny(); drawing && !drawing->empty()) return false;
        for (const auto& [depth, child] : clip.displayList()) {
            if (!child) continue;
            Box childBox;
            if (!shownBox(*child, clip.definitions(), depthLeft - 1, childBox)) return false;
            if (childBox) uniteInto(inner, *childBox);
        }
    } else {
        switch (c.kind) {
        case CharacterKind::Shape:
            inner = static_cast<const ShapeCharacter&>(c).bounds;
            break;
        case CharacterKind::MorphShape: {
            // A morph's points move in straight lines from start to end, so its box at a ratio
            // lies within the same blend of the two boxes.
            const auto& m = static_cast<const MorphShapeCharacter&>(c);
            const double t = object.ratio / 65535.0;
            inner = Rect{lerp(m.startBounds.xMin, m.endBounds.xMin, t, false),
                         lerp(m.startBounds.xMax, m.endBounds.xMax, t, true),
                         lerp(m.startBounds.yMin, m.endBounds.yMin, t, false),
                         lerp(m.startBounds.yMax, m.endBounds.yMax, t, true)};
            break;
        }
        case CharacterKind::Text: {
            const auto& t = static_cast<const TextCharacter&>(c);
            inner = transformedBox(t.bounds, t.matrix, BoxRounding::Outward);
            break;
        }
        case CharacterKind::EditText:
            inner = static_cast<const EditTextCharacter&>(c).bounds;
            break;
        case CharacterKind::VideoStream: {
            const auto& v = static_cast<const VideoStreamCharacter&>(c);
            inner = Rect{0, v.width * 20, 0, v.height * 20};
            break;
        }
        case CharacterKind::Button:  // its parts change with the pointer, sprites among them
        case CharacterKind::Sprite:  // a sprite without a clip of its own is drawn as a still picture
            return false;
        default:
            break;
        }
    }
    if (inner) box = transformedBox(*inner, object.matrix, BoxRounding::Outward);
    return true;
}

bool sameRgba(const Rgba& a, const Rgba& b) { return a == b; }

}  // namespace

void ChangedArea::add(const Rect& stageTwips) {
    if (whole_) return;
    boxes_.push_back(stageTwips);
    if (boxes_.size() <= kMostBoxes) return;
    Rect all = boxes_.front();
    for (const Rect& r : boxes_) all = unite(all, r);
    boxes_.assign(1, all);
}

std::optional<std::optional<Rect>> stageArea(const Clip& owner, const DisplayObject& object) {
    Box box;
    if (!shownBox(object, owner.definitions(), kDeepest, box)) return std::nullopt;
    if (!box) return Box{};
    Rect r = *box;
    for (const Clip* clip = &owner; clip->parent(); clip = clip->parent()) {
        const DisplayObject* self = clip->displayObject();
        if (!self) return std::nullopt;
        // A clip shown as a button's part is drawn through the button, not its parent's list.
        const Clip& parent = *clip->parent();
        const auto it = parent.displayList().find(self->depth);
        if (it == parent.displayList().end() || it->second.get() != self) return std::nullopt;
        if (!self->filters.empty() || hasScalingGrid(*self, parent.definitions())) return std::nullopt;
        r = transformedBox(r, self->matrix, BoxRounding::Outward);
    }
    return Box{r};
}

void noteObjectArea(const Clip& owner, const DisplayObject& object) {
    const auto area = stageArea(owner, object);
    MovieInstance& movie = owner.movie();
    if (!area) {
        movie.noteChange();
    } else if (*area) {
        movie.noteChangeIn(**area);
    }
}

bool changeObjectNoting(MovieInstance& movie, const Clip* owner, const DisplayObject& object, const std::function<bool()>& change) {
    const bool masks = object.clipDepth > 0 || object.maskOnly;
    const auto before = owner && !masks ? stageArea(*owner, object) : std::nullopt;
    if (!change()) return false;
    const auto after = before ? stageArea(*owner, object) : std::nullopt;
    if (!before || !after) {
        movie.noteChange();
        return true;
    }
    if (*before) movie.noteChangeIn(**before);
    if (*after) movie.noteChangeIn(**after);
    return true;
}

bool sameMatrix(const Matrix& a, const Matrix& b) {
    return a.a == b.a && a.b == b.b && a.c == b.c && a.d == b.d && a.tx == b.tx && a.ty == b.ty;
}

bool sameColorTransform(const ColorTransform& a, const ColorTransform& b) {
    return a.rMult == b.rMult && a.gMult == b.gMult && a.bMult == b.bMult && a.aMult == b.aMult &&
           a.rAdd == b.rAdd && a.gAdd == b.gAdd && a.bAdd == b.bAdd && a.aAdd == b.aAdd;
}

bool sameFilters(const std::vector<Filter>& a, const std::vector<Filter>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Filter& x, const Filter& y) {
        const auto sameStop = [](const GradientStop& s, const GradientStop& t) {
            return s.ratio == t.ratio && sameRgba(s.color, t.color);
        };
        return x.type == y.type && sameRgba(x.color, y.color) && sameRgba(x.highlightColor, y.highlightColor) &&
               x.blurX == y.blurX && x.blurY == y.blurY && x.angle == y.angle && x.distance == y.distance &&
               x.strength == y.strength && x.inner == y.inner && x.knockout == y.knockout &&
               x.compositeSource == y.compositeSource && x.onTop == y.onTop && x.passes == y.passes &&
               std::equal(x.gradient.begin(), x.gradient.end(), y.gradient.begin(), y.gradient.end(), sameStop) &&
               x.colorMatrix == y.colorMatrix && x.matrixX == y.matrixX && x.matrixY == y.matrixY &&
               x.divisor == y.divisor && x.bias == y.bias && x.convolution == y.convolution &&
               sameRgba(x.defaultColor, y.defaultColor) && x.clamp == y.clamp && x.preserveAlpha == y.preserveAlpha;
    });
}

}  // namespace velmora::swf
