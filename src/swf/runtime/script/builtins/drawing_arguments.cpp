#include "swf/runtime/script/builtins/drawing_arguments.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf::script {

namespace {

// The side of the square gradients are defined on, in pixels.
constexpr double kGradientSquarePixels = 32768.0 / kTwipsPerPixel;

// A numeric field, or fallback when it is missing or not a finite number.
double field(CallContext& cx, Object* o, const char* name, double fallback) {
    const Value v = cx.get(Value::object(o), name);
    if (v.isUndefined()) return fallback;
    const double n = cx.toNumber(v);
    return std::isfinite(n) ? n : fallback;
}

bool has(CallContext& cx, Object* o, const char* name) { return !cx.get(Value::object(o), name).isUndefined(); }

uint8_t percentToByte(double percent) { return uint8_t(std::lround(std::clamp(percent, 0.0, 100.0) * 2.55)); }

}  // namespace

std::optional<Matrix> readMatrixArgument(CallContext& cx, const Value& value) {
    Object* o = value.objectOrNull();
    if (!o) return std::nullopt;
    if (cx.get(value, "matrixType").isString() && cx.toStdString(cx.get(value, "matrixType")) == "box") {
        const double w = field(cx, o, "w", 0), h = field(cx, o, "h", 0), r = field(cx, o, "r", 0);
        const double x = field(cx, o, "x", 0), y = field(cx, o, "y", 0);
        const double sx = w / kGradientSquarePixels, sy = h / kGradientSquarePixels;
        return Matrix{std::cos(r) * sx, std::sin(r) * sx, -std::sin(r) * sy, std::cos(r) * sy, x + w / 2, y + h / 2};
    }
    if (!has(cx, o, "tx") && !has(cx, o, "ty") && (has(cx, o, "g") || has(cx, o, "e"))) {
        // The 3x3 form: a b 0 / d e 0 / g h 1.
        return Matrix{field(cx, o, "a", 1), field(cx, o, "b", 0), field(cx, o, "d", 0),
                      field(cx, o, "e", 1), field(cx, o, "g", 0), field(cx, o, "h", 0)};
    }
    return Matrix{field(cx, o, "a", 1), field(cx, o, "b", 0),  field(cx, o, "c", 0),
                  field(cx, o, "d", 1), field(cx, o, "tx", 0), field(cx, o, "ty", 0)};
}

std::optional<PixelRect> readRect(CallContext& cx, const Value& value) {
    Object* o = value.objectOrNull();
    if (!o) return std::nullopt;
    return PixelRect{field(cx, o, "x", 0), field(cx, o, "y", 0), field(cx, o, "width", 0), field(cx, o, "height", 0)};
}

void readPoint(CallContext& cx, const Value& value, double& x, double& y) {
    x = y = 0;
    if (Object* o = value.objectOrNull()) {
        x = field(cx, o, "x", 0);
        y = field(cx, o, "y", 0);
    }
}

Rgba readColour(CallContext& cx, const Value& rgb, const Value& alphaPercent) {
    const uint32_t c = toUint32(cx.toNumber(rgb));
    Rgba colour{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
    if (!alphaPercent.isUndefined()) {
        const double a = cx.toNumber(alphaPercent);
        colour.a = std::isnan(a) ? 0 : percentToByte(a);
    }
    return colour;
}

std::optional<FillStyle> readGradientFill(CallContext& cx, std::span<const Value> args, size_t first) {
    auto at = [&](size_t i) { return arg(args, first + i); };
    const std::string type = cx.toStdString(at(0));
    FillStyle fill;
    if (type == "linear") fill.type = FillStyle::Type::LinearGradient;
    else if (type == "radial") fill.type = FillStyle::Type::RadialGradient;
    else return std::nullopt;
    ArrayObject* colours = CallContext::thisArray(at(1));
    ArrayObject* alphas = CallContext::thisArray(at(2));
    ArrayObject* ratios = CallContext::thisArray(at(3));
    if (!colours || !alphas || !ratios) return std::nullopt;
    const size_t count = std::min({colours->elements().size(), alphas->elements().size(), ratios->elements().size(),
                                   size_t{15}});
    for (size_t i = 0; i < count; ++i) {
        // Copied and kept alive: a script's valueOf may change the arrays under us.
        if (i >= colours->elements().size() || i >= alphas->elements().size() || i >= ratios->elements().size()) break;
        const Rooted colour(cx.heap(), colours->elements()[i]);
        const Rooted alpha(cx.heap(), alphas->elements()[i]);
        const Rooted ratio(cx.heap(), ratios->elements()[i]);
        GradientStop stop;
        stop.color = readColour(cx, colour.get(), alpha.get());
        const double r = cx.toNumber(ratio.get());
        stop.ratio = uint8_t(std::isfinite(r) ? std::clamp(std::lround(r), 0L, 255L) : 0);
        fill.gradient.stops.push_back(stop);
    }
    const Matrix m = readMatrixArgument(cx, at(4)).value_or(Matrix{});
    fill.matrix = Matrix{m.a, m.b, m.c, m.d, m.tx * kTwipsPerPixel, m.ty * kTwipsPerPixel};
    const std::string spread = at(5).isUndefined() ? "" : cx.toStdString(at(5));
    if (spread == "reflect") fill.gradient.spread = Gradient::Spread::Reflect;
    else if (spread == "repeat") fill.gradient.spread = Gradient::Spread::Repeat;
    if (!at(6).isUndefined() && cx.toStdString(at(6)) == "linearRGB")
        fill.gradient.interpolation = Gradient::Interpolation::LinearRgb;
    if (!at(7).isUndefined() && fill.type == FillStyle::Type::RadialGradient) {
        const double focal = cx.toNumber(at(7));
        if (std::isfinite(focal) && focal != 0) {
            fill.type = FillStyle::Type::FocalGradient;
            fill.gradient.focalPoint = std::clamp(focal, -1.0, 1.0);
        }
    }
    return fill;
}

}  // namespace velmora::swf::script
