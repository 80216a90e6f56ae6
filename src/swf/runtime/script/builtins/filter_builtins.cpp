// flash.filters: the bitmap filters as script objects. Their settings are ordinary properties
// (as scripts set and read them); a clip's `filters` turns them into the renderer's filters and
// back, a copy each way.
#include "swf/runtime/script/builtins/filter_values.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/runtime/script/builtins/host_classes.h"

namespace velmora::swf::script {

namespace {

// The classes by index: the renderer's filter types, then those it cannot draw.
constexpr int kDisplacementMap = 8;
constexpr int kClassCount = 9;
constexpr const char* kClassNames[kClassCount] = {
    "DropShadowFilter", "BlurFilter",        "GlowFilter",          "BevelFilter",           "GradientGlowFilter",
    "ConvolutionFilter", "ColorMatrixFilter", "GradientBevelFilter", "DisplacementMapFilter"};

enum class Kind { Number, Boolean, Text, Array, Any };
struct Field {
    const char* name;
    Kind kind;
    double number = 0;
    const char* text = nullptr;
};

// Each class's settings in the order its constructor takes them, with their defaults.
const std::vector<Field>& fieldsOf(int type) {
    using K = Kind;
    static const std::vector<Field> table[kClassCount] = {
        {{"distance", K::Number, 4}, {"angle", K::Number, 45}, {"color", K::Number, 0}, {"alpha", K::Number, 1},
         {"blurX", K::Number, 4}, {"blurY", K::Number, 4}, {"strength", K::Number, 1}, {"quality", K::Number, 1},
         {"inner", K::Boolean, 0}, {"knockout", K::Boolean, 0}, {"hideObject", K::Boolean, 0}},
        {{"blurX", K::Number, 4}, {"blurY", K::Number, 4}, {"quality", K::Number, 1}},
        {{"color", K::Number, 0xFF0000}, {"alpha", K::Number, 1}, {"blurX", K::Number, 6}, {"blurY", K::Number, 6},
         {"strength", K::Number, 2}, {"quality", K::Number, 1}, {"inner", K::Boolean, 0},
         {"knockout", K::Boolean, 0}},
        {{"distance", K::Number, 4}, {"angle", K::Number, 45}, {"highlightColor", K::Number, 0xFFFFFF},
         {"highlightAlpha", K::Number, 1}, {"shadowColor", K::Number, 0}, {"shadowAlpha", K::Number, 1},
         {"blurX", K::Number, 4}, {"blurY", K::Number, 4}, {"strength", K::Number, 1}, {"quality", K::Number, 1},
         {"type", K::Text, 0, "inner"}, {"knockout", K::Boolean, 0}},
        {{"distance", K::Number, 4}, {"angle", K::Number, 45}, {"colors", K::Array}, {"alphas", K::Array},
         {"ratios", K::Array}, {"blurX", K::Number, 4}, {"blurY", K::Number, 4}, {"strength", K::Number, 1},
         {"quality", K::Number, 1}, {"type", K::Text, 0, "inner"}, {"knockout", K::Boolean, 0}},
        {{"matrixX", K::Number, 0}, {"matrixY", K::Number, 0}, {"matrix", K::Array}, {"divisor", K::Number, 1},
         {"bias", K::Number, 0}, {"preserveAlpha", K::Boolean, 1}, {"clamp", K::Boolean, 1},
         {"color", K::Number, 0}, {"alpha", K::Number, 0}},
        {{"matrix", K::Array}},
        {{"distance", K::Number, 4}, {"angle", K::Number, 45}, {"colors", K::Array}, {"alphas", K::Array},
         {"ratios", K::Array}, {"blurX", K::Number, 4}, {"blurY", K::Number, 4}, {"strength", K::Number, 1},
         {"quality", K::Number, 1}, {"type", K::Text, 0, "inner"}, {"knockout", K::Boolean, 0}},
        {{"mapBitmap", K::Any}, {"mapPoint", K::Any}, {"componentX", K::Number, 0}, {"componentY", K::Number, 0},
         {"scaleX", K::Number, 0}, {"scaleY", K::Number, 0}, {"mode", K::Text, 0, "wrap"}, {"color", K::Number, 0},
         {"alpha", K::Number, 0}},
    };
    return table[type];
}

class FilterObject final : public Object {
public:
    FilterObject(Object* proto, int type) : Object(proto, ObjectKind::Host), type(type) {}
    const int type;
};

template <int Type>
Object* allocFilter(Vm& vm, Object* proto) {
    return vm.heap().make<FilterObject>(proto, Type);
}
constexpr Allocator kAllocators[kClassCount] = {allocFilter<0>, allocFilter<1>, allocFilter<2>,
                                                allocFilter<3>, allocFilter<4>, allocFilter<5>,
                                                allocFilter<6>, allocFilter<7>, allocFilter<8>};

ArrayObject* copyArray(CallContext& cx, const Value& from) {
    ArrayObject* out = cx.newArray();
    if (ArrayObject* a = CallContext::thisArray(from)) {
        out->elements() = a->elements();
        cx.heap().account(out);
    }
    return out;
}

Value defaultValue(CallContext& cx, int type, const Field& f) {
    switch (f.kind) {
        case Kind::Number: return Value::number(f.number);
        case Kind::Boolean: return Value::boolean(f.number != 0);
        case Kind::Text: return cx.stringValue(f.text);
        case Kind::Any: return Value();
        case Kind::Array: break;
    }
    ArrayObject* a = cx.newArray();
    if (type == int(Filter::Type::ColorMatrix)) {
        for (int i = 0; i < 20; ++i) a->elements().push_back(Value::number(i % 6 == 0 ? 1 : 0));
    }
    return Value::object(a);
}

// A setting as the constructor stores it: numbers and flags converted, arrays copied.
Value fieldValue(CallContext& cx, const Field& f, const Value& given) {
    switch (f.kind) {
        case Kind::Number: return Value::number(cx.toNumber(given));
        case Kind::Boolean: return Value::boolean(cx.toBoolean(given));
        case Kind::Text: return Value::string(cx.toString(given));
        case Kind::Array: return Value::object(copyArray(cx, given));
        case Kind::Any: return given;
    }
    return given;
}

Value construct(CallContext& cx, const Value& self, std::span<const Value> args) {
    auto* filter = dynamic_cast<FilterObject*>(self.objectOrNull());
    if (!filter || !cx.constructing) return Value();
    if (filter->type == kDisplacementMap) cx.unsupported("flash.filters.DisplacementMapFilter");
    size_t i = 0;
    for (const Field& f : fieldsOf(filter->type)) {
        const bool given = i < args.size() && !args[i].isUndefined();
        cx.set(self, f.name, given ? fieldValue(cx, f, args[i]) : defaultValue(cx, filter->type, f));
        ++i;
    }
    return self;
}

// A new filter of the same class with the same settings; arrays are copied, not shared.
Value clone(CallContext& cx, const Value& self, std::span<const Value>) {
    auto* filter = dynamic_cast<FilterObject*>(self.objectOrNull());
    if (!filter) return Value();
    Rooted copy(cx.heap(), Value::object(cx.heap().make<FilterObject>(filter->proto(), filter->type)));
    for (const Field& f : fieldsOf(filter->type)) {
        Value v = cx.get(self, f.name);
        if (f.kind == Kind::Array) v = Value::object(copyArray(cx, v));
        cx.set(copy.get(), f.name, v);
    }
    return copy.get();
}

double number(CallContext& cx, const Value& o, const char* name, double lo, double hi) {
    const double v = cx.toNumber(cx.get(o, name));
    return std::isfinite(v) ? std::clamp(v, lo, hi) : 0.0;
}

Rgba colour(CallContext& cx, const Value& o, const char* colorName, const char* alphaName) {
    const uint32_t rgb = toUint32(cx.toNumber(cx.get(o, colorName)));
    const double alpha = number(cx, o, alphaName, 0, 1);
    return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), uint8_t(std::lround(alpha * 255))};
}

std::vector<double> numbers(CallContext& cx, const Value& o, const char* name, size_t limit) {
    std::vector<double> out;
    if (ArrayObject* a = CallContext::thisArray(cx.get(o, name))) {
        for (size_t i = 0; i < a->elements().size() && i < limit; ++i) out.push_back(cx.toNumber(a->elements()[i]));
    }
    return out;
}

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

}  // namespace

std::optional<Filter> filterFromScript(CallContext& cx, const Value& value) {
    auto* object = dynamic_cast<FilterObject*>(value.objectOrNull());
    if (!object || object->type == kDisplacementMap) return std::nullopt;
    const Value o = value;
    Filter f;
    f.type = Filter::Type(object->type);
    f.blurX = number(cx, o, "blurX", 0, 255);
    f.blurY = number(cx, o, "blurY", 0, 255);
    f.passes = int(number(cx, o, "quality", 0, 15));
    const auto sides = [&] {
        const std::string type = cx.toStdString(cx.get(o, "type"));
        f.inner = type == "inner";
        f.onTop = type == "full";
    };
    switch (f.type) {
        case Filter::Type::DropShadow:
        case Filter::Type::Glow:
            f.color = colour(cx, o, "color", "alpha");
            f.strength = number(cx, o, "strength", 0, 255);
            f.inner = cx.toBoolean(cx.get(o, "inner"));
            f.knockout = cx.toBoolean(cx.get(o, "knockout"));
            if (f.type == Filter::Type::DropShadow) {
                f.angle = number(cx, o, "angle", -1e6, 1e6) * kRadiansPerDegree;
                f.distance = number(cx, o, "distance", -1e4, 1e4);
                f.compositeSource = !cx.toBoolean(cx.get(o, "hideObject"));
            }
            break;
        case Filter::Type::Blur: break;
        case Filter::Type::Bevel:
            f.color = colour(cx, o, "shadowColor", "shadowAlpha");
            f.highlightColor = colour(cx, o, "highlightColor", "highlightAlpha");
            [[fallthrough]];
        case Filter::Type::GradientGlow:
        case Filter::Type::GradientBevel: {
            f.angle = number(cx, o, "angle", -1e6, 1e6) * kRadiansPerDegree;
            f.distance = number(cx, o, "distance", -1e4, 1e4);
            f.strength = number(cx, o, "strength", 0, 255);
            f.knockout = cx.toBoolean(cx.get(o, "knockout"));
            sides();
            if (f.type == Filter::Type::Bevel) break;
            // Stops where colours, alphas and ratios all have an entry; at most the format's 15.
            const std::vector<double> colors = numbers(cx, o, "colors", 15), alphas = numbers(cx, o, "alphas", 15),
                                      ratios = numbers(cx, o, "ratios", 15);
            for (size_t i = 0; i < std::min({colors.size(), alphas.size(), ratios.size()}); ++i) {
                const uint32_t rgb = toUint32(colors[i]);
                const double a = std::isfinite(alphas[i]) ? std::clamp(alphas[i], 0.0, 1.0) : 0.0;
                const double r = std::isfinite(ratios[i]) ? std::clamp(ratios[i], 0.0, 255.0) : 0.0;
                f.gradient.push_back({uint8_t(r), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), uint8_t(std::lround(a * 255))}});
            }
            break;
        }
        case Filter::Type::ColorMatrix: {
            const std::vector<double> m = numbers(cx, o, "matrix", 20);
            for (size_t i = 0; i < 20; ++i) {
                const double v = i < m.size() ? m[i] : (i % 6 == 0 ? 1 : 0);
                f.colorMatrix[i] = float(std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : 0.0);
            }
            break;
        }
        case Filter::Type::Convolution: {
            f.matrixX = uint8_t(number(cx, o, "matrixX", 0, 15));
            f.matrixY = uint8_t(number(cx, o, "matrixY", 0, 15));
            const std::vector<double> m = numbers(cx, o, "matrix", size_t(f.matrixX) * f.matrixY);
            f.convolution.assign(size_t(f.matrixX) * f.matrixY, 0.0f);
            for (size_t i = 0; i < m.size(); ++i) f.convolution[i] = float(std::isfinite(m[i]) ? std::clamp(m[i], -1e6, 1e6) : 0.0);
            f.divisor = float(number(cx, o, "divisor", -1e6, 1e6));
            f.bias = float(number(cx, o, "bias", -1e6, 1e6));
            f.preserveAlpha = cx.toBoolean(cx.get(o, "preserveAlpha"));
            f.clamp = cx.toBoolean(cx.get(o, "clamp"));
            f.defaultColor = colour(cx, o, "color", "alpha");
            break;
        }
    }
    return f;
}

Value filterToScript(CallContext& cx, const Filter& f) {
    const int type = int(f.type);
    if (type < 0 || type >= kDisplacementMap) return Value();
    Rooted out(cx.heap(), constructNamed(cx, std::string("flash.filters.") + kClassNames[type], {}));
    if (!out.get().isObject()) return Value();
    const Value o = out.get();
    const auto rgb = [](Rgba c) { return Value::number(double((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b)); };
    const auto alpha = [](Rgba c) { return Value::number(c.a / 255.0); };
    const auto numberArray = [&](const auto& values) {
        ArrayObject* a = cx.newArray();
        for (double v : values) a->elements().push_back(Value::number(v));
        return Value::object(a);
    };
    const auto side = [&] { return cx.stringValue(f.onTop ? "full" : f.inner ? "inner" : "outer"); };
    cx.set(o, "blurX", Value::number(f.blurX));
    cx.set(o, "blurY", Value::number(f.blurY));
    cx.set(o, "quality", Value::number(f.passes));
    switch (f.type) {
        case Filter::Type::DropShadow:
        case Filter::Type::Glow:
            cx.set(o, "color", rgb(f.color));
            cx.set(o, "alpha", alpha(f.color));
            cx.set(o, "strength", Value::number(f.strength));
            cx.set(o, "inner", Value::boolean(f.inner));
            cx.set(o, "knockout", Value::boolean(f.knockout));
            if (f.type == Filter::Type::DropShadow) {
                cx.set(o, "angle", Value::number(f.angle / kRadiansPerDegree));
                cx.set(o, "distance", Value::number(f.distance));
                cx.set(o, "hideObject", Value::boolean(!f.compositeSource));
            }
            break;
        case Filter::Type::Blur: break;
        case Filter::Type::Bevel:
        case Filter::Type::GradientGlow:
        case Filter::Type::GradientBevel: {
            cx.set(o, "angle", Value::number(f.angle / kRadiansPerDegree));
            cx.set(o, "distance", Value::number(f.distance));
            cx.set(o, "strength", Value::number(f.strength));
            cx.set(o, "knockout", Value::boolean(f.knockout));
            cx.set(o, "type", side());
            if (f.type == Filter::Type::Bevel) {
                cx.set(o, "shadowColor", rgb(f.color));
                cx.set(o, "shadowAlpha", alpha(f.color));
                cx.set(o, "highlightColor", rgb(f.highlightColor));
                cx.set(o, "highlightAlpha", alpha(f.highlightColor));
                break;
            }
            std::vector<double> colors, alphas, ratios;
            for (const GradientStop& s : f.gradient) {
                colors.push_back(double((uint32_t(s.color.r) << 16) | (uint32_t(s.color.g) << 8) | s.color.b));
                alphas.push_back(s.color.a / 255.0);
                ratios.push_back(s.ratio);
            }
            cx.set(o, "colors", numberArray(colors));
            cx.set(o, "alphas", numberArray(alphas));
            cx.set(o, "ratios", numberArray(ratios));
            break;
        }
        case Filter::Type::ColorMatrix: cx.set(o, "matrix", numberArray(f.colorMatrix)); break;
        case Filter::Type::Convolution:
            cx.set(o, "matrixX", Value::number(f.matrixX));
            cx.set(o, "matrixY", Value::number(f.matrixY));
            cx.set(o, "matrix", numberArray(f.convolution));
            cx.set(o, "divisor", Value::number(f.divisor));
            cx.set(o, "bias", Value::number(f.bias));
            cx.set(o, "preserveAlpha", Value::boolean(f.preserveAlpha));
            cx.set(o, "clamp", Value::boolean(f.clamp));
            cx.set(o, "color", rgb(f.defaultColor));
            cx.set(o, "alpha", alpha(f.defaultColor));
            break;
    }
    return o;
}

void installFilters(Vm& vm) {
    Object* pkg = packageObject(vm, "flash.filters");
    Object* base = vm.newObject();
    defineClass(vm, pkg, "BitmapFilter", [](CallContext&, const Value& self, std::span<const Value>) { return self; },
                base);
    for (int type = 0; type < kClassCount; ++type) {
        Object* proto = vm.newObject(base);
        defineClass(vm, pkg, kClassNames[type], construct, proto, kAllocators[type], int(fieldsOf(type).size()));
        defineMethods(vm, proto, {{"clone", clone}});
    }
}

}  // namespace velmora::swf::script
