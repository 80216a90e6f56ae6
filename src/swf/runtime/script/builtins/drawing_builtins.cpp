// The drawing API of MovieClip.prototype (beginFill ... clear) and attachBitmap.
#include <algorithm>
#include <cmath>

#include "swf/runtime/attached_bitmap.h"
#include "swf/runtime/clip_creation.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_drawing.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/bitmap_data_object.h"
#include "swf/runtime/script/builtins/drawing_arguments.h"
#include "swf/runtime/script/clip_object.h"

namespace velmora::swf::script {

namespace {

Clip* clipOf(CallContext& cx, const Value& self) {
    Object* o = self.objectOrNull();
    if (!o || o->kind() != ObjectKind::Clip) return nullptr;
    return static_cast<ClipObject*>(o)->clip(cx.vm);
}

// Coordinates far beyond any stage are held there, so that paths stay drawable.
constexpr double kMaxCoordinateTwips = 1e9;

// A coordinate in pixels as twips; nullopt for what is not a finite number (the command is then
// ignored).
std::optional<double> twips(CallContext& cx, const Value& v) {
    const double n = cx.toNumber(v);
    if (!std::isfinite(n)) return std::nullopt;
    return std::clamp(n * kTwipsPerPixel, -kMaxCoordinateTwips, kMaxCoordinateTwips);
}

// Applies one change to self's drawing; reports once per movie when a clip's drawing is full.
template <typename Change>
void draw(CallContext& cx, const Value& self, Change&& change) {
    Clip* clip = clipOf(cx, self);
    if (!clip) return;
    ClipDrawing& drawing = clip->drawing();
    if (!change(drawing)) {
        if (drawing.commandCount() >= drawing.limit())
            cx.vm.movie().report(DiagnosticRoom::Script,
                                 "a clip's drawing reached " + std::to_string(drawing.limit()) +
                                     " commands: later ones are ignored until it is cleared",
                                 "drawing limit");
        else if (drawing.movieFull())
            cx.vm.movie().report(DiagnosticRoom::Script,
                                 "the movie's drawings reached " +
                                     std::to_string(cx.vm.movie().limits().maxDrawingCommandsPerMovie) +
                                     " commands: later ones are ignored until some are cleared",
                                 "movie drawing limit");
        return;
    }
    cx.vm.movie().noteChange();
}

Value beginFill(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (args.empty() || args[0].isUndefined()) {
        // No colour: no fill from here.
        draw(cx, self, [](ClipDrawing& d) { return d.endFill(); });
        return Value();
    }
    DrawingFill fill;
    fill.style.color = readColour(cx, args[0], arg(args, 1));
    draw(cx, self, [&](ClipDrawing& d) { return d.beginFill(std::move(fill)); });
    return Value();
}

Value beginGradientFill(CallContext& cx, const Value& self, std::span<const Value> args) {
    std::optional<FillStyle> style = readGradientFill(cx, args, 0);
    if (!style) {
        draw(cx, self, [](ClipDrawing& d) { return d.endFill(); });
        return Value();
    }
    draw(cx, self, [&](ClipDrawing& d) { return d.beginFill({std::move(*style), nullptr}); });
    return Value();
}

Value beginBitmapFill(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapDataObject* bitmap = bitmapDataOf(arg(args, 0));
    if (!bitmap) {
        draw(cx, self, [](ClipDrawing& d) { return d.endFill(); });
        return Value();
    }
    const Matrix m = readMatrixArgument(cx, arg(args, 1)).value_or(Matrix{});
    const bool repeat = args.size() < 3 || args[2].isUndefined() || cx.toBoolean(args[2]);
    const bool smoothing = args.size() >= 4 && cx.toBoolean(args[3]);
    DrawingFill fill;
    using Type = FillStyle::Type;
    fill.style.type = repeat ? (smoothing ? Type::RepeatingBitmap : Type::NonSmoothedRepeatingBitmap)
                             : (smoothing ? Type::ClippedBitmap : Type::NonSmoothedClippedBitmap);
    // The fill maps the picture's pixels; shapes measure in twips.
    const double k = kTwipsPerPixel;
    fill.style.matrix = Matrix{m.a * k, m.b * k, m.c * k, m.d * k, m.tx * k, m.ty * k};
    fill.style.bitmapId = 0xFFFF;
    fill.bitmap = bitmap->pixels;
    draw(cx, self, [&](ClipDrawing& d) { return d.beginFill(std::move(fill)); });
    return Value();
}

LineStyle::Cap capOf(const std::string& name) {
    if (name == "none") return LineStyle::Cap::None;
    if (name == "square") return LineStyle::Cap::Square;
    return LineStyle::Cap::Round;
}

Value lineStyle(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double thickness = args.empty() ? NAN : cx.toNumber(args[0]);
    if (args.empty() || args[0].isUndefined() || std::isnan(thickness)) {
        draw(cx, self, [](ClipDrawing& d) { return d.lineStyle(std::nullopt); });
        return Value();
    }
    LineStyle style;
    // Points from 0 (a hairline) to 255.
    style.width = uint16_t(std::lround(std::clamp(thickness, 0.0, 255.0) * kTwipsPerPixel));
    style.color = readColour(cx, arg(args, 1), arg(args, 2));
    style.pixelHinting = cx.toBoolean(arg(args, 3));
    const std::string noScale = arg(args, 4).isUndefined() ? "normal" : cx.toStdString(args[4]);
    style.noHScale = noScale == "none" || noScale == "horizontal";
    style.noVScale = noScale == "none" || noScale == "vertical";
    if (!arg(args, 5).isUndefined()) style.startCap = style.endCap = capOf(cx.toStdString(args[5]));
    if (!arg(args, 6).isUndefined()) {
        const std::string join = cx.toStdString(args[6]);
        style.join = join == "miter" ? LineStyle::Join::Miter
                     : join == "bevel" ? LineStyle::Join::Bevel
                                       : LineStyle::Join::Round;
    }
    if (!arg(args, 7).isUndefined()) {
        const double limit = cx.toNumber(args[7]);
        style.miterLimit = std::isfinite(limit) ? std::clamp(limit, 1.0, 255.0) : 3.0;
    }
    draw(cx, self, [&](ClipDrawing& d) { return d.lineStyle(std::move(style)); });
    return Value();
}

Value lineGradientStyle(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (std::optional<FillStyle> style = readGradientFill(cx, args, 0))
        draw(cx, self, [&](ClipDrawing& d) { return d.lineFill(*style); });
    return Value();
}

Value moveTo(CallContext& cx, const Value& self, std::span<const Value> args) {
    const auto x = twips(cx, arg(args, 0));
    const auto y = twips(cx, arg(args, 1));
    if (x && y) draw(cx, self, [&](ClipDrawing& d) { return d.moveTo(*x, *y); });
    return Value();
}

Value lineTo(CallContext& cx, const Value& self, std::span<const Value> args) {
    const auto x = twips(cx, arg(args, 0));
    const auto y = twips(cx, arg(args, 1));
    if (x && y) draw(cx, self, [&](ClipDrawing& d) { return d.lineTo(*x, *y); });
    return Value();
}

Value curveTo(CallContext& cx, const Value& self, std::span<const Value> args) {
    const auto controlX = twips(cx, arg(args, 0));
    const auto controlY = twips(cx, arg(args, 1));
    const auto x = twips(cx, arg(args, 2));
    const auto y = twips(cx, arg(args, 3));
    if (controlX && controlY && x && y)
        draw(cx, self, [&](ClipDrawing& d) { return d.curveTo(*controlX, *controlY, *x, *y); });
    return Value();
}

Value endFill(CallContext& cx, const Value& self, std::span<const Value>) {
    draw(cx, self, [](ClipDrawing& d) { return d.endFill(); });
    return Value();
}

Value clear(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* clip = clipOf(cx, self);
    if (clip && clip->drawingIfAny()) {
        clip->drawing().clear();
        cx.vm.movie().noteChange();
    }
    return Value();
}

Value attachBitmap(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    BitmapDataObject* bitmap = bitmapDataOf(arg(args, 0));
    if (!clip || !bitmap || args.size() < 2) return Value();
    const std::optional<int32_t> listDepth = displayDepthOfScriptDepth(cx.toNumber(args[1]));
    if (!listDepth) return Value();
    // The smoothing argument; pixel snapping needs nothing here, as pictures are drawn where
    // they fall.
    attachBitmap(*clip, *listDepth, bitmap->pixels, cx.toBoolean(arg(args, 3)));
    return Value();
}

}  // namespace

void installDrawing(Vm& vm) {
    defineMethods(vm, vm.realm().movieClipPrototype,
                  {{"beginFill", beginFill, 2},
                   {"beginGradientFill", beginGradientFill, 8},
                   {"beginBitmapFill", beginBitmapFill, 4},
                   {"lineStyle", lineStyle, 8},
                   {"lineGradientStyle", lineGradientStyle, 8},
                   {"moveTo", moveTo, 2},
                   {"lineTo", lineTo, 2},
                   {"curveTo", curveTo, 4},
                   {"endFill", endFill},
                   {"clear", clear},
                   {"attachBitmap", attachBitmap, 4}});
}

}  // namespace velmora::swf::script
