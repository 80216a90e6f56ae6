#include "swf/runtime/clip_bounds.h"

#include <algorithm>
#include <cmath>

#include "swf/format/button.h"
#include "swf/format/movie.h"
#include "swf/format/shape.h"
#include "swf/format/text.h"
#include "swf/format/video.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

Rect unite(const std::optional<Rect>& a, const Rect& b) {
    if (!a) return b;
    return {std::min(a->xMin, b.xMin), std::max(a->xMax, b.xMax), std::min(a->yMin, b.yMin),
            std::max(a->yMax, b.yMax)};
}

int32_t toTwips(double v) {
    // Keeps absurd matrices from overflowing the integer box.
    return static_cast<int32_t>(std::clamp(std::round(v), -1e9, 1e9));
}

int32_t lerp(int32_t a, int32_t b, double t) { return toTwips(a + (b - a) * t); }

std::optional<Rect> characterBounds(const DisplayObject& object, const Movie& movie) {
    const Character& c = *object.character;
    switch (c.kind) {
    case CharacterKind::Shape:
        return static_cast<const ShapeCharacter&>(c).bounds;
    case CharacterKind::MorphShape: {
        const auto& m = static_cast<const MorphShapeCharacter&>(c);
        const double t = object.ratio / 65535.0;
        return Rect{lerp(m.startBounds.xMin, m.endBounds.xMin, t), lerp(m.startBounds.xMax, m.endBounds.xMax, t),
                    lerp(m.startBounds.yMin, m.endBounds.yMin, t), lerp(m.startBounds.yMax, m.endBounds.yMax, t)};
    }
    case CharacterKind::Text: {
        const auto& t = static_cast<const TextCharacter&>(c);
        return transformedBox(t.bounds, t.matrix);
    }
    case CharacterKind::EditText:
        return static_cast<const EditTextCharacter&>(c).bounds;
    case CharacterKind::VideoStream: {
        const auto& v = static_cast<const VideoStreamCharacter&>(c);
        return Rect{0, v.width * 20, 0, v.height * 20};
    }
    case CharacterKind::Button: {
        // The up state is what stands on stage until the pointer comes near. Button records
        // name their characters by id; only shapes and texts are measured, which keeps this
        // free of recursion through buttons that name each other.
        std::optional<Rect> box;
        for (const ButtonRecord& r : static_cast<const ButtonCharacter&>(c).records) {
            if (!r.up) continue;
            const Character* part = movie.character(r.characterId);
            if (!part) continue;
            std::optional<Rect> partBox;
            if (part->kind == CharacterKind::Shape) partBox = static_cast<const ShapeCharacter*>(part)->bounds;
            if (part->kind == CharacterKind::Text) {
                const auto* t = static_cast<const TextCharacter*>(part);
                partBox = transformedBox(t->bounds, t->matrix);
            }
            if (part->kind == CharacterKind::EditText) partBox = static_cast<const EditTextCharacter*>(part)->bounds;
            if (partBox) box = unite(box, transformedBox(*partBox, r.matrix));
        }
        return box;
    }
    default:
        return std::nullopt;
    }
}

}  // namespace

Rect transformedBox(const Rect& r, const Matrix& m, BoxRounding rounding) {
    const bool outward = rounding == BoxRounding::Outward;
    auto toTwips = [outward](double v, bool up) {
        // Rounded as asked, and kept from overflowing the integer box by absurd matrices.
        const double rounded = outward ? (up ? std::ceil(v) : std::floor(v)) : std::round(v);
        return static_cast<int32_t>(std::clamp(std::isfinite(rounded) ? rounded : 0.0, -1e9, 1e9));
    };
    const double xs[2] = {static_cast<double>(r.xMin), static_cast<double>(r.xMax)};
    const double ys[2] = {static_cast<double>(r.yMin), static_cast<double>(r.yMax)};
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (double x : xs) {
        for (double y : ys) {
            const double tx = m.a * x + m.c * y + m.tx;
            const double ty = m.b * x + m.d * y + m.ty;
            if (first || tx < minX) minX = tx;
            if (first || tx > maxX) maxX = tx;
            if (first || ty < minY) minY = ty;
            if (first || ty > maxY) maxY = ty;
            first = false;
        }
    }
    return {toTwips(minX, false), toTwips(maxX, true), toTwips(minY, false), toTwips(maxY, true)};
}

std::optional<Rect> contentBounds(const Clip& clip) {
    std::optional<Rect> box;
    // What scripts drew counts as content, for the clip's size and its hit area alike.
    if (const ClipDrawing* drawing = clip.drawingIfAny()) box = drawing->bounds();
    for (const auto& [depth, object] : clip.displayList()) {
        if (auto b = objectBounds(*object, clip.definitions())) box = unite(box, *b);
    }
    return box;
}

std::optional<Rect> objectBounds(const DisplayObject& object, const Movie& movie) {
    if (!object.character) return std::nullopt;
    const std::optional<Rect> inner = object.clip ? contentBounds(*object.clip) : characterBounds(object, movie);
    if (!inner) return std::nullopt;
    return transformedBox(*inner, object.matrix);
}

}  // namespace velmora::swf
