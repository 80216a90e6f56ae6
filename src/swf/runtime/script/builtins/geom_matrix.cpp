// flash.geom.Matrix: a, b, c, d, tx, ty as ordinary properties; the point (x, y) maps to
// (a*x + c*y + tx, b*x + d*y + ty), as the clip's own matrix does (in pixels here).
#include <cmath>

#include "swf/runtime/script/builtins/geom_values.h"
#include "swf/runtime/script/builtins/host_classes.h"

namespace velmora::swf::script {

namespace {

Value matrixNew(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!cx.constructing) return Value();
    if (args.empty()) {
        writeMatrix(cx, self, Matrix{});
        return self;
    }
    size_t i = 0;
    for (const char* name : {"a", "b", "c", "d", "tx", "ty"}) cx.set(self, name, arg(args, i++));
    return self;
}

Value clone(CallContext& cx, const Value& self, std::span<const Value>) { return makeMatrix(cx, readMatrix(cx, self)); }

Value toString(CallContext& cx, const Value& self, std::span<const Value>) {
    std::string text = "(";
    for (const char* name : {"a", "b", "c", "d", "tx", "ty"}) {
        if (text.size() > 1) text += ", ";
        text += std::string(name) + "=" + cx.toStdString(cx.get(self, name));
    }
    return cx.stringValue(text + ")");
}

Value identity(CallContext& cx, const Value& self, std::span<const Value>) {
    writeMatrix(cx, self, Matrix{});
    return Value();
}

// this, then m.
Value concat(CallContext& cx, const Value& self, std::span<const Value> args) {
    writeMatrix(cx, self, readMatrix(cx, arg(args, 0)) * readMatrix(cx, self));
    return Value();
}

// A matrix that cannot be inverted becomes the identity, so that nothing downstream divides by
// zero.
Value invert(CallContext& cx, const Value& self, std::span<const Value>) {
    const Matrix m = readMatrix(cx, self);
    const double det = m.a * m.d - m.b * m.c;
    if (det == 0 || !std::isfinite(det)) {
        writeMatrix(cx, self, Matrix{});
        return Value();
    }
    Matrix r;
    r.a = m.d / det;
    r.b = -m.b / det;
    r.c = -m.c / det;
    r.d = m.a / det;
    r.tx = -(r.a * m.tx + r.c * m.ty);
    r.ty = -(r.b * m.tx + r.d * m.ty);
    writeMatrix(cx, self, r);
    return Value();
}

Matrix box(double sx, double sy, double rotation, double tx, double ty) {
    const double cs = std::cos(rotation), sn = std::sin(rotation);
    return {sx * cs, sy * sn, -sx * sn, sy * cs, tx, ty};
}

Value createBox(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double sx = cx.toNumber(arg(args, 0)), sy = cx.toNumber(arg(args, 1));
    const double r = args.size() > 2 ? cx.toNumber(args[2]) : 0.0;
    const double tx = args.size() > 3 ? cx.toNumber(args[3]) : 0.0;
    const double ty = args.size() > 4 ? cx.toNumber(args[4]) : 0.0;
    writeMatrix(cx, self, box(sx, sy, r, tx, ty));
    return Value();
}

// The matrix that maps the gradient square (1638.4 pixels wide, centred on the origin) onto a
// box of width x height at (tx, ty).
Value createGradientBox(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double w = cx.toNumber(arg(args, 0)), h = cx.toNumber(arg(args, 1));
    const double r = args.size() > 2 ? cx.toNumber(args[2]) : 0.0;
    const double tx = args.size() > 3 ? cx.toNumber(args[3]) : 0.0;
    const double ty = args.size() > 4 ? cx.toNumber(args[4]) : 0.0;
    writeMatrix(cx, self, box(w / 1638.4, h / 1638.4, r, tx + w / 2, ty + h / 2));
    return Value();
}

Value rotate(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double angle = cx.toNumber(arg(args, 0));
    writeMatrix(cx, self, box(1, 1, angle, 0, 0) * readMatrix(cx, self));
    return Value();
}

Value scale(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double sx = cx.toNumber(arg(args, 0)), sy = cx.toNumber(arg(args, 1));
    writeMatrix(cx, self, Matrix{sx, 0, 0, sy, 0, 0} * readMatrix(cx, self));
    return Value();
}

Value translate(CallContext& cx, const Value& self, std::span<const Value> args) {
    Matrix m = readMatrix(cx, self);
    m.tx += cx.toNumber(arg(args, 0));
    m.ty += cx.toNumber(arg(args, 1));
    writeMatrix(cx, self, m);
    return Value();
}

Value transformPoint(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Matrix m = readMatrix(cx, self);
    const double x = numberField(cx, arg(args, 0), "x", NAN), y = numberField(cx, arg(args, 0), "y", NAN);
    const Value p[] = {Value::number(m.a * x + m.c * y + m.tx), Value::number(m.b * x + m.d * y + m.ty)};
    return constructNamed(cx, "flash.geom.Point", p);
}

Value deltaTransformPoint(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Matrix m = readMatrix(cx, self);
    const double x = numberField(cx, arg(args, 0), "x", NAN), y = numberField(cx, arg(args, 0), "y", NAN);
    const Value p[] = {Value::number(m.a * x + m.c * y), Value::number(m.b * x + m.d * y)};
    return constructNamed(cx, "flash.geom.Point", p);
}

}  // namespace

Matrix readMatrix(CallContext& cx, const Value& m) {
    return {numberField(cx, m, "a", NAN),  numberField(cx, m, "b", NAN),  numberField(cx, m, "c", NAN),
            numberField(cx, m, "d", NAN),  numberField(cx, m, "tx", NAN), numberField(cx, m, "ty", NAN)};
}

void writeMatrix(CallContext& cx, const Value& target, const Matrix& m) {
    setNumber(cx, target, "a", m.a);
    setNumber(cx, target, "b", m.b);
    setNumber(cx, target, "c", m.c);
    setNumber(cx, target, "d", m.d);
    setNumber(cx, target, "tx", m.tx);
    setNumber(cx, target, "ty", m.ty);
}

Value makeMatrix(CallContext& cx, const Matrix& m) {
    const Value args[] = {Value::number(m.a), Value::number(m.b),  Value::number(m.c),
                          Value::number(m.d), Value::number(m.tx), Value::number(m.ty)};
    return constructNamed(cx, "flash.geom.Matrix", args);
}

void installMatrix(Vm& vm) {
    Object* proto = vm.newObject();
    defineClass(vm, packageObject(vm, "flash.geom"), "Matrix", matrixNew, proto, nullptr, 6);
    defineMethods(vm, proto,
                  {{"clone", clone},
                   {"concat", concat, 1},
                   {"createBox", createBox, 5},
                   {"createGradientBox", createGradientBox, 5},
                   {"deltaTransformPoint", deltaTransformPoint, 1},
                   {"identity", identity},
                   {"invert", invert},
                   {"rotate", rotate, 1},
                   {"scale", scale, 2},
                   {"transformPoint", transformPoint, 1},
                   {"translate", translate, 2},
                   {"toString", toString}});
}

}  // namespace velmora::swf::script
