// The clip properties that reach the renderer's effects: filters, blendMode, cacheAsBitmap,
// opaqueBackground, scale9Grid and transform, as getters and setters on MovieClip.prototype.
// The root, which nothing placed, reads their defaults and ignores changes.
#include <array>
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/filter_values.h"
#include "swf/runtime/script/builtins/geom_values.h"
#include "swf/runtime/script/builtins/host_classes.h"

namespace velmora::swf::script {

namespace {

// By file value, from 1.
constexpr std::array<const char*, 14> kBlendNames = {"normal",     "layer", "multiply", "screen", "lighten",
                                                     "darken",     "difference", "add", "subtract", "invert",
                                                     "alpha",      "erase", "overlay",  "hardlight"};

DisplayObject* objectOf(CallContext& cx, const Value& self) { return placedObject(clipOfSelf(cx, self)); }

void changed(CallContext& cx) { cx.vm.movie().noteChange(); }

Value getFilters(CallContext& cx, const Value& self, std::span<const Value>) {
    DisplayObject* o = objectOf(cx, self);
    Rooted out(cx.heap(), Value::object(cx.newArray()));
    if (!o) return out.get();
    const std::vector<Filter> filters = o->filters;  // a script run by the conversion may change them
    for (const Filter& f : filters) {
        const Value v = filterToScript(cx, f);
        if (v.isObject()) out.get().asObject()->asArray()->elements().push_back(v);
    }
    return out.get();
}

// Elements that are not filters the renderer draws are left out.
Value setFilters(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!objectOf(cx, self)) return Value();
    const Value given = arg(args, 0);
    std::vector<Filter> filters;
    if (ArrayObject* a = CallContext::thisArray(given)) {
        const std::vector<Value> items = a->elements();
        for (const Value& item : items) {
            if (std::optional<Filter> f = filterFromScript(cx, item)) filters.push_back(std::move(*f));
        }
    } else if (!given.isNullish()) {
        return Value();
    }
    if (DisplayObject* o = objectOf(cx, self)) {
        o->filters = std::move(filters);
        changed(cx);
    }
    return Value();
}

Value getBlendMode(CallContext& cx, const Value& self, std::span<const Value>) {
    const DisplayObject* o = objectOf(cx, self);
    const int mode = o ? int(o->blendMode) : 1;
    return cx.stringValue(mode >= 1 && mode <= 14 ? kBlendNames[size_t(mode - 1)] : "normal");
}

// A name or a number; anything else is ignored.
Value setBlendMode(CallContext& cx, const Value& self, std::span<const Value> args) {
    DisplayObject* o = objectOf(cx, self);
    const Value v = arg(args, 0);
    if (!o) return Value();
    int mode = 0;
    if (v.isNumber()) {
        const double n = v.asNumber();
        if (n >= 1 && n <= 14 && n == std::floor(n)) mode = int(n);
    } else if (v.isString()) {
        for (size_t i = 0; i < kBlendNames.size(); ++i)
            if (v.asString()->view() == kBlendNames[i]) mode = int(i) + 1;
    }
    if (mode == 0) return Value();
    o->blendMode = BlendMode(mode);
    changed(cx);
    return Value();
}

Value getCacheAsBitmap(CallContext& cx, const Value& self, std::span<const Value>) {
    const DisplayObject* o = objectOf(cx, self);
    return Value::boolean(o && o->cacheAsBitmap);
}

Value setCacheAsBitmap(CallContext& cx, const Value& self, std::span<const Value> args) {
    const bool on = cx.toBoolean(arg(args, 0));
    if (DisplayObject* o = objectOf(cx, self)) o->cacheAsBitmap = on;
    return Value();
}

Value getOpaqueBackground(CallContext& cx, const Value& self, std::span<const Value>) {
    const DisplayObject* o = objectOf(cx, self);
    if (!o || !o->opaqueBackground) return Value();
    return Value::number(*o->opaqueBackground);
}

// undefined or null takes the background away.
Value setOpaqueBackground(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value v = arg(args, 0);
    const std::optional<uint32_t> colour =
        v.isNullish() ? std::nullopt : std::optional<uint32_t>(toUint32(cx.toNumber(v)) & 0xFFFFFF);
    if (DisplayObject* o = objectOf(cx, self)) {
        o->opaqueBackground = colour;
        changed(cx);
    }
    return Value();
}

Value getScale9Grid(CallContext& cx, const Value& self, std::span<const Value>) {
    const DisplayObject* o = objectOf(cx, self);
    if (!o || !o->scale9Grid) return Value();
    const Rect& g = *o->scale9Grid;
    const Value args[] = {Value::number(g.xMin / kTwipsPerPixel), Value::number(g.yMin / kTwipsPerPixel),
                          Value::number(double(g.width()) / kTwipsPerPixel),
                          Value::number(double(g.height()) / kTwipsPerPixel)};
    return constructNamed(cx, "flash.geom.Rectangle", args);
}

// A Rectangle in the clip's pixels; undefined or null takes the grid away, a rectangle with a
// part that is not a finite number is refused.
Value setScale9Grid(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value v = arg(args, 0);
    std::optional<Rect> grid;
    if (v.isObject()) {
        double box[4];
        const char* names[] = {"x", "y", "width", "height"};
        for (int i = 0; i < 4; ++i) {
            box[i] = numberField(cx, v, names[i], NAN) * kTwipsPerPixel;
            if (!std::isfinite(box[i]) || std::abs(box[i]) > 1e9) return Value();
        }
        grid = Rect{int32_t(std::lround(box[0])), int32_t(std::lround(box[0] + box[2])), int32_t(std::lround(box[1])),
                    int32_t(std::lround(box[1] + box[3]))};
    } else if (!v.isNullish()) {
        return Value();
    }
    if (DisplayObject* o = objectOf(cx, self)) {
        o->scale9Grid = grid;
        changed(cx);
    }
    return Value();
}

Value getTransform(CallContext& cx, const Value& self, std::span<const Value>) {
    if (!clipOfSelf(cx, self)) return Value();
    return makeTransform(cx, self);
}

// Takes the matrix and colour transform of another clip's Transform (or any object with them).
Value setTransform(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value from = arg(args, 0);
    if (!from.isObject() || !objectOf(cx, self)) return Value();
    Rooted mine(cx.heap(), makeTransform(cx, self));
    if (!mine.get().isObject()) return Value();
    // Fresh copies, held while the setters read them (a script's getter may run meanwhile).
    Rooted matrix(cx.heap(), cx.get(from, "matrix"));
    if (matrix.get().isObject()) cx.set(mine.get(), "matrix", matrix.get());
    Rooted colour(cx.heap(), cx.get(from, "colorTransform"));
    if (colour.get().isObject()) cx.set(mine.get(), "colorTransform", colour.get());
    return Value();
}

}  // namespace

void installClipEffects(Vm& vm) {
    Object* proto = vm.realm().movieClipPrototype;
    defineAccessor(vm, proto, "filters", getFilters, setFilters);
    defineAccessor(vm, proto, "blendMode", getBlendMode, setBlendMode);
    defineAccessor(vm, proto, "cacheAsBitmap", getCacheAsBitmap, setCacheAsBitmap);
    defineAccessor(vm, proto, "opaqueBackground", getOpaqueBackground, setOpaqueBackground);
    defineAccessor(vm, proto, "scale9Grid", getScale9Grid, setScale9Grid);
    defineAccessor(vm, proto, "transform", getTransform, setTransform);
}

}  // namespace velmora::swf::script
