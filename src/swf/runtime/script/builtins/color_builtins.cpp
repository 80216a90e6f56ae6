// Color: the old way to tint a clip, through its colour transform in percent and offsets.
#include <algorithm>
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/host_classes.h"
#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

// new Color(target) keeps the target as given, a clip or a path, and finds its clip on each call:
// a clip replaced at the same path is tinted in turn.
class ColorObject final : public Object {
public:
    explicit ColorObject(Object* proto) : Object(proto, ObjectKind::Host) {}
    Value target;
    const char* className() const override { return "Color"; }
    void trace(Tracer& tracer) override {
        tracer.mark(target);
        Object::trace(tracer);
    }
};

Object* allocColor(Vm& vm, Object* proto) { return vm.heap().make<ColorObject>(proto); }

DisplayObject* targetObject(CallContext& cx, const Value& self) {
    auto* color = dynamic_cast<ColorObject*>(self.objectOrNull());
    return color ? placedObject(clipOfValue(cx, color->target)) : nullptr;
}

Value construct(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (auto* color = dynamic_cast<ColorObject*>(self.objectOrNull()); color && cx.constructing) color->target = arg(args, 0);
    return self;
}

Value setRGB(CallContext& cx, const Value& self, std::span<const Value> args) {
    DisplayObject* o = targetObject(cx, self);
    if (!o || args.empty()) return Value();
    const uint32_t rgb = toUint32(cx.toNumber(args[0]));
    ColorTransform& t = o->colorTransform;
    t.rMult = t.gMult = t.bMult = 0.0;
    t.rAdd = int32_t((rgb >> 16) & 0xFF);
    t.gAdd = int32_t((rgb >> 8) & 0xFF);
    t.bAdd = int32_t(rgb & 0xFF);
    cx.vm.movie().noteChange();
    return Value();
}

Value getRGB(CallContext& cx, const Value& self, std::span<const Value>) {
    DisplayObject* o = targetObject(cx, self);
    if (!o) return Value();
    const ColorTransform& t = o->colorTransform;
    return Value::number(double(((t.rAdd & 0xFF) << 16) | ((t.gAdd & 0xFF) << 8) | (t.bAdd & 0xFF)));
}

Value getTransform(CallContext& cx, const Value& self, std::span<const Value>) {
    DisplayObject* o = targetObject(cx, self);
    if (!o) return Value();
    const ColorTransform& t = o->colorTransform;
    const Value out = Value::object(cx.newObject());
    setNumber(cx, out, "ra", t.rMult * 100.0);
    setNumber(cx, out, "rb", t.rAdd);
    setNumber(cx, out, "ga", t.gMult * 100.0);
    setNumber(cx, out, "gb", t.gAdd);
    setNumber(cx, out, "ba", t.bMult * 100.0);
    setNumber(cx, out, "bb", t.bAdd);
    setNumber(cx, out, "aa", t.aMult * 100.0);
    setNumber(cx, out, "ab", t.aAdd);
    return out;
}

// Fields the object leaves out keep their value.
Value setTransform(CallContext& cx, const Value& self, std::span<const Value> args) {
    DisplayObject* o = targetObject(cx, self);
    const Value in = arg(args, 0);
    if (!o || !in.isObject()) return Value();
    ColorTransform& t = o->colorTransform;
    t.rMult = colorMultiplier(numberField(cx, in, "ra", t.rMult * 100.0) / 100.0);
    t.rAdd = colorOffset(numberField(cx, in, "rb", t.rAdd));
    t.gMult = colorMultiplier(numberField(cx, in, "ga", t.gMult * 100.0) / 100.0);
    t.gAdd = colorOffset(numberField(cx, in, "gb", t.gAdd));
    t.bMult = colorMultiplier(numberField(cx, in, "ba", t.bMult * 100.0) / 100.0);
    t.bAdd = colorOffset(numberField(cx, in, "bb", t.bAdd));
    t.aMult = colorMultiplier(numberField(cx, in, "aa", t.aMult * 100.0) / 100.0);
    t.aAdd = colorOffset(numberField(cx, in, "ab", t.aAdd));
    cx.vm.movie().noteChange();
    return Value();
}

}  // namespace

double colorMultiplier(double m) { return std::isfinite(m) ? std::clamp(m, -256.0, 256.0) : 0.0; }

int32_t colorOffset(double add) { return std::isfinite(add) ? int32_t(std::clamp(std::trunc(add), -65535.0, 65535.0)) : 0; }

void installColor(Vm& vm) {
    Object* proto = vm.newObject();
    defineClass(vm, nullptr, "Color", construct, proto, allocColor, 1);
    defineMethods(vm, proto,
                  {{"setRGB", setRGB, 1},
                   {"getRGB", getRGB},
                   {"setTransform", setTransform, 1},
                   {"getTransform", getTransform}});
}

}  // namespace velmora::swf::script
