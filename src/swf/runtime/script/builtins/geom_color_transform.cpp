// flash.geom.ColorTransform: multipliers and offsets per channel as ordinary properties, and
// `rgb`, the colour the offsets make when the multipliers are zero.
#include <cmath>

#include "swf/runtime/script/builtins/geom_values.h"
#include "swf/runtime/script/builtins/host_classes.h"

namespace velmora::swf::script {

namespace {

constexpr const char* kFields[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                   "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

void writeAll(CallContext& cx, const Value& self, const double (&v)[8]) {
    for (size_t i = 0; i < 8; ++i) setNumber(cx, self, kFields[i], v[i]);
}

Value construct(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!cx.constructing) return Value();
    double v[8] = {1, 1, 1, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < 8 && i < args.size(); ++i) v[i] = cx.toNumber(args[i]);
    writeAll(cx, self, v);
    return self;
}

Value getRgb(CallContext& cx, const Value& self, std::span<const Value>) {
    const auto channel = [&](const char* name) { return uint32_t(toInt32(numberField(cx, self, name, 0))) & 0xFF; };
    return Value::number(double((channel("redOffset") << 16) | (channel("greenOffset") << 8) | channel("blueOffset")));
}

Value setRgb(CallContext& cx, const Value& self, std::span<const Value> args) {
    const uint32_t rgb = toUint32(cx.toNumber(arg(args, 0)));
    setNumber(cx, self, "redMultiplier", 0);
    setNumber(cx, self, "greenMultiplier", 0);
    setNumber(cx, self, "blueMultiplier", 0);
    setNumber(cx, self, "redOffset", (rgb >> 16) & 0xFF);
    setNumber(cx, self, "greenOffset", (rgb >> 8) & 0xFF);
    setNumber(cx, self, "blueOffset", rgb & 0xFF);
    return Value();
}

// this applied after second: offsets of second pass through this one's multipliers.
Value concat(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value second = arg(args, 0);
    if (!second.isObject()) return Value();
    double a[8], b[8], r[8];
    for (size_t i = 0; i < 8; ++i) {
        a[i] = numberField(cx, self, kFields[i], NAN);
        b[i] = numberField(cx, second, kFields[i], NAN);
    }
    for (size_t i = 0; i < 4; ++i) {
        r[i] = a[i] * b[i];
        r[i + 4] = a[i + 4] + a[i] * b[i + 4];
    }
    writeAll(cx, self, r);
    return Value();
}

Value toString(CallContext& cx, const Value& self, std::span<const Value>) {
    std::string text = "(";
    for (const char* name : kFields) {
        if (text.size() > 1) text += ", ";
        text += std::string(name) + "=" + cx.toStdString(cx.get(self, name));
    }
    return cx.stringValue(text + ")");
}

}  // namespace

ColorTransform readColorTransform(CallContext& cx, const Value& t) {
    double v[8];
    for (size_t i = 0; i < 8; ++i) v[i] = numberField(cx, t, kFields[i], i < 4 ? 1.0 : 0.0);
    return {colorMultiplier(v[0]), colorMultiplier(v[1]), colorMultiplier(v[2]), colorMultiplier(v[3]),
            colorOffset(v[4]),     colorOffset(v[5]),     colorOffset(v[6]),     colorOffset(v[7])};
}

Value makeColorTransform(CallContext& cx, const ColorTransform& t) {
    const Value args[] = {Value::number(t.rMult), Value::number(t.gMult), Value::number(t.bMult),
                          Value::number(t.aMult), Value::number(t.rAdd),  Value::number(t.gAdd),
                          Value::number(t.bAdd),  Value::number(t.aAdd)};
    return constructNamed(cx, "flash.geom.ColorTransform", args);
}

void installColorTransform(Vm& vm) {
    Object* proto = vm.newObject();
    defineClass(vm, packageObject(vm, "flash.geom"), "ColorTransform", construct, proto, nullptr, 8);
    defineMethods(vm, proto, {{"concat", concat, 1}, {"toString", toString}});
    defineAccessor(vm, proto, "rgb", getRgb, setRgb);
}

}  // namespace velmora::swf::script
