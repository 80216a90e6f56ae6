// flash.geom.Transform: a clip's matrix and colour transform as flash.geom objects. Each read
// hands out a fresh copy; a change reaches the clip only when assigned back.
#include <algorithm>
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/geom_values.h"
#include "swf/runtime/script/builtins/host_classes.h"

namespace velmora::swf::script {

namespace {

class TransformObject final : public Object {
public:
    explicit TransformObject(Object* proto) : Object(proto, ObjectKind::Host) {}
    Value clip;
    const char* className() const override { return "Transform"; }
    void trace(Tracer& tracer) override {
        tracer.mark(clip);
        Object::trace(tracer);
    }
};

Object* allocTransform(Vm& vm, Object* proto) { return vm.heap().make<TransformObject>(proto); }

Clip* clipOf(CallContext& cx, const Value& self) {
    auto* t = dynamic_cast<TransformObject*>(self.objectOrNull());
    return t ? clipOfValue(cx, t->clip) : nullptr;
}

Matrix toPixels(Matrix m) {
    m.tx /= kTwipsPerPixel;
    m.ty /= kTwipsPerPixel;
    return m;
}

// The clip's matrix joined with its parents', up to the stage.
Matrix stageMatrix(Clip* clip) {
    Matrix m;
    for (Clip* c = clip; c; c = c->parent()) {
        if (const DisplayObject* o = c->displayObject()) m = o->matrix * m;
    }
    return m;
}

Value construct(CallContext& cx, const Value& self, std::span<const Value> args) {
    auto* t = dynamic_cast<TransformObject*>(self.objectOrNull());
    if (!t || !cx.constructing) return Value();
    t->clip = arg(args, 0);
    return self;
}

Value getMatrix(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* c = clipOf(cx, self);
    if (!c) return Value();
    const DisplayObject* o = c->displayObject();
    return makeMatrix(cx, o ? toPixels(o->matrix) : Matrix{});
}

// A matrix with a part that is not a finite number is refused whole.
Value setMatrix(CallContext& cx, const Value& self, std::span<const Value> args) {
    DisplayObject* o = placedObject(clipOf(cx, self));
    if (!o || !arg(args, 0).isObject()) return Value();
    Matrix m = readMatrix(cx, args[0]);
    for (double v : {m.a, m.b, m.c, m.d, m.tx, m.ty})
        if (!std::isfinite(v)) return Value();
    m.tx = std::clamp(m.tx * kTwipsPerPixel, -1e9, 1e9);
    m.ty = std::clamp(m.ty * kTwipsPerPixel, -1e9, 1e9);
    o->matrix = m;
    cx.vm.movie().noteChange();
    return Value();
}

Value getConcatenatedMatrix(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* c = clipOf(cx, self);
    return c ? makeMatrix(cx, toPixels(stageMatrix(c))) : Value();
}

Value getColorTransform(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* c = clipOf(cx, self);
    if (!c) return Value();
    const DisplayObject* o = c->displayObject();
    return makeColorTransform(cx, o ? o->colorTransform : ColorTransform{});
}

Value setColorTransform(CallContext& cx, const Value& self, std::span<const Value> args) {
    DisplayObject* o = placedObject(clipOf(cx, self));
    if (!o || !arg(args, 0).isObject()) return Value();
    o->colorTransform = readColorTransform(cx, args[0]);
    cx.vm.movie().noteChange();
    return Value();
}

Value getConcatenatedColorTransform(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* c = clipOf(cx, self);
    if (!c) return Value();
    ColorTransform t;
    for (Clip* at = c; at; at = at->parent()) {
        if (const DisplayObject* o = at->displayObject()) t = o->colorTransform * t;
    }
    return makeColorTransform(cx, t);
}

// The clip's box on the stage in whole pixels: its content's corners carried through every
// matrix up to the stage.
Value getPixelBounds(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* c = clipOf(cx, self);
    if (!c) return Value();
    const std::optional<Rect> content = contentBounds(*c);
    double box[4] = {0, 0, 0, 0};
    if (content) {
        const Matrix m = stageMatrix(c);
        double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
        for (double x : {double(content->xMin), double(content->xMax)}) {
            for (double y : {double(content->yMin), double(content->yMax)}) {
                const double px = (m.a * x + m.c * y + m.tx) / kTwipsPerPixel;
                const double py = (m.b * x + m.d * y + m.ty) / kTwipsPerPixel;
                left = std::min(left, px);
                right = std::max(right, px);
                top = std::min(top, py);
                bottom = std::max(bottom, py);
            }
        }
        box[0] = std::floor(left);
        box[1] = std::floor(top);
        box[2] = std::ceil(right) - box[0];
        box[3] = std::ceil(bottom) - box[1];
    }
    const Value args[] = {Value::number(box[0]), Value::number(box[1]), Value::number(box[2]), Value::number(box[3])};
    return constructNamed(cx, "flash.geom.Rectangle", args);
}

}  // namespace

Value makeTransform(CallContext& cx, const Value& clip) { return constructNamed(cx, "flash.geom.Transform", {&clip, 1}); }

void installTransform(Vm& vm) {
    Object* proto = vm.newObject();
    defineClass(vm, packageObject(vm, "flash.geom"), "Transform", construct, proto, allocTransform, 1);
    defineAccessor(vm, proto, "matrix", getMatrix, setMatrix);
    defineAccessor(vm, proto, "concatenatedMatrix", getConcatenatedMatrix, nullptr);
    defineAccessor(vm, proto, "colorTransform", getColorTransform, setColorTransform);
    defineAccessor(vm, proto, "concatenatedColorTransform", getConcatenatedColorTransform, nullptr);
    defineAccessor(vm, proto, "pixelBounds", getPixelBounds, nullptr);
}

}  // namespace velmora::swf::script
