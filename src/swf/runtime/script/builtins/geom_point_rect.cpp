// flash.geom.Point and flash.geom.Rectangle: plain objects whose coordinates are ordinary
// properties, so that scripts may read, write and enumerate them; the methods read them anew on
// each call.
#include <cmath>

#include "swf/runtime/script/builtins/host_classes.h"

namespace velmora::swf::script {

namespace {

double num(CallContext& cx, const Value& o, std::string_view name) { return numberField(cx, o, name, NAN); }

Value makePoint(CallContext& cx, double x, double y) {
    const Value args[] = {Value::number(x), Value::number(y)};
    return constructNamed(cx, "flash.geom.Point", args);
}

Value makeRectangle(CallContext& cx, double x, double y, double w, double h) {
    const Value args[] = {Value::number(x), Value::number(y), Value::number(w), Value::number(h)};
    return constructNamed(cx, "flash.geom.Rectangle", args);
}

// Arguments left out are undefined, as the reference player leaves them.
void setFrom(CallContext& cx, const Value& self, std::span<const Value> args,
             std::initializer_list<std::string_view> names) {
    size_t i = 0;
    for (std::string_view name : names) cx.set(self, name, arg(args, i++));
}

// --- Point ---

Value pointNew(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!cx.constructing) return Value();
    if (args.empty()) {
        setNumber(cx, self, "x", 0);
        setNumber(cx, self, "y", 0);
    } else {
        setFrom(cx, self, args, {"x", "y"});
    }
    return self;
}

Value pointLength(CallContext& cx, const Value& self, std::span<const Value>) {
    return Value::number(std::hypot(num(cx, self, "x"), num(cx, self, "y")));
}

Value pointAdd(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value p = arg(args, 0);
    return makePoint(cx, num(cx, self, "x") + num(cx, p, "x"), num(cx, self, "y") + num(cx, p, "y"));
}

Value pointSubtract(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value p = arg(args, 0);
    return makePoint(cx, num(cx, self, "x") - num(cx, p, "x"), num(cx, self, "y") - num(cx, p, "y"));
}

Value pointClone(CallContext& cx, const Value& self, std::span<const Value>) {
    const Value args[] = {cx.get(self, "x"), cx.get(self, "y")};
    return constructNamed(cx, "flash.geom.Point", args);
}

Value pointEquals(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value p = arg(args, 0);
    if (!p.isObject()) return Value::boolean(false);
    return Value::boolean(num(cx, self, "x") == num(cx, p, "x") && num(cx, self, "y") == num(cx, p, "y"));
}

// Scales the point to the given length; a point at the origin stays there.
Value pointNormalize(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double x = num(cx, self, "x"), y = num(cx, self, "y");
    const double length = std::hypot(x, y);
    if (length == 0 || !std::isfinite(length)) return Value();
    const double to = cx.toNumber(arg(args, 0));
    setNumber(cx, self, "x", x * to / length);
    setNumber(cx, self, "y", y * to / length);
    return Value();
}

Value pointOffset(CallContext& cx, const Value& self, std::span<const Value> args) {
    setNumber(cx, self, "x", num(cx, self, "x") + cx.toNumber(arg(args, 0)));
    setNumber(cx, self, "y", num(cx, self, "y") + cx.toNumber(arg(args, 1)));
    return Value();
}

Value pointToString(CallContext& cx, const Value& self, std::span<const Value>) {
    return cx.stringValue("(x=" + cx.toStdString(cx.get(self, "x")) + ", y=" + cx.toStdString(cx.get(self, "y")) + ")");
}

Value pointDistance(CallContext& cx, const Value&, std::span<const Value> args) {
    const Value a = arg(args, 0), b = arg(args, 1);
    return Value::number(std::hypot(num(cx, a, "x") - num(cx, b, "x"), num(cx, a, "y") - num(cx, b, "y")));
}

// interpolate(a, b, f): a at f = 1, b at f = 0.
Value pointInterpolate(CallContext& cx, const Value&, std::span<const Value> args) {
    const Value a = arg(args, 0), b = arg(args, 1);
    const double f = cx.toNumber(arg(args, 2));
    const double bx = num(cx, b, "x"), by = num(cx, b, "y");
    return makePoint(cx, bx + f * (num(cx, a, "x") - bx), by + f * (num(cx, a, "y") - by));
}

Value pointPolar(CallContext& cx, const Value&, std::span<const Value> args) {
    const double length = cx.toNumber(arg(args, 0)), angle = cx.toNumber(arg(args, 1));
    return makePoint(cx, length * std::cos(angle), length * std::sin(angle));
}

// --- Rectangle ---

struct Box {
    double x, y, w, h;
};

Box box(CallContext& cx, const Value& r) {
    return {num(cx, r, "x"), num(cx, r, "y"), num(cx, r, "width"), num(cx, r, "height")};
}

void setBox(CallContext& cx, const Value& r, const Box& b) {
    setNumber(cx, r, "x", b.x);
    setNumber(cx, r, "y", b.y);
    setNumber(cx, r, "width", b.w);
    setNumber(cx, r, "height", b.h);
}

bool isEmpty(const Box& b) { return !(b.w > 0 && b.h > 0); }

Value rectNew(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!cx.constructing) return Value();
    if (args.empty()) {
        setBox(cx, self, {0, 0, 0, 0});
    } else {
        setFrom(cx, self, args, {"x", "y", "width", "height"});
    }
    return self;
}

Value rectClone(CallContext& cx, const Value& self, std::span<const Value>) {
    const Value args[] = {cx.get(self, "x"), cx.get(self, "y"), cx.get(self, "width"), cx.get(self, "height")};
    return constructNamed(cx, "flash.geom.Rectangle", args);
}

Value rectToString(CallContext& cx, const Value& self, std::span<const Value>) {
    return cx.stringValue("(x=" + cx.toStdString(cx.get(self, "x")) + ", y=" + cx.toStdString(cx.get(self, "y")) +
                          ", w=" + cx.toStdString(cx.get(self, "width")) +
                          ", h=" + cx.toStdString(cx.get(self, "height")) + ")");
}

Value rectIsEmpty(CallContext& cx, const Value& self, std::span<const Value>) {
    return Value::boolean(isEmpty(box(cx, self)));
}

Value rectSetEmpty(CallContext& cx, const Value& self, std::span<const Value>) {
    setBox(cx, self, {0, 0, 0, 0});
    return Value();
}

bool contains(const Box& b, double x, double y) { return x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h; }

Value rectContains(CallContext& cx, const Value& self, std::span<const Value> args) {
    return Value::boolean(contains(box(cx, self), cx.toNumber(arg(args, 0)), cx.toNumber(arg(args, 1))));
}

Value rectContainsPoint(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value p = arg(args, 0);
    return Value::boolean(contains(box(cx, self), num(cx, p, "x"), num(cx, p, "y")));
}

Value rectContainsRectangle(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Box a = box(cx, self), b = box(cx, arg(args, 0));
    return Value::boolean(b.x >= a.x && b.y >= a.y && b.x + b.w <= a.x + a.w && b.y + b.h <= a.y + a.h);
}

Value rectEquals(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!arg(args, 0).isObject()) return Value::boolean(false);
    const Box a = box(cx, self), b = box(cx, args[0]);
    return Value::boolean(a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h);
}

// Grows the rectangle by dx on the left and on the right, dy at the top and at the bottom.
Value rectInflate(CallContext& cx, const Value& self, std::span<const Value> args) {
    Box b = box(cx, self);
    const double dx = cx.toNumber(arg(args, 0)), dy = cx.toNumber(arg(args, 1));
    setBox(cx, self, {b.x - dx, b.y - dy, b.w + 2 * dx, b.h + 2 * dy});
    return Value();
}

Value rectInflatePoint(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value p = arg(args, 0);
    const Value d[] = {Value::number(num(cx, p, "x")), Value::number(num(cx, p, "y"))};
    return rectInflate(cx, self, d);
}

Value rectOffset(CallContext& cx, const Value& self, std::span<const Value> args) {
    setNumber(cx, self, "x", num(cx, self, "x") + cx.toNumber(arg(args, 0)));
    setNumber(cx, self, "y", num(cx, self, "y") + cx.toNumber(arg(args, 1)));
    return Value();
}

Value rectOffsetPoint(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value p = arg(args, 0);
    const Value d[] = {Value::number(num(cx, p, "x")), Value::number(num(cx, p, "y"))};
    return rectOffset(cx, self, d);
}

// The overlap; an empty rectangle (all zero) when there is none.
Value rectIntersection(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Box a = box(cx, self), b = box(cx, arg(args, 0));
    const double left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    if (!(right > left && bottom > top)) return makeRectangle(cx, 0, 0, 0, 0);
    return makeRectangle(cx, left, top, right - left, bottom - top);
}

Value rectIntersects(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Box a = box(cx, self), b = box(cx, arg(args, 0));
    return Value::boolean(std::min(a.x + a.w, b.x + b.w) > std::max(a.x, b.x) &&
                          std::min(a.y + a.h, b.y + b.h) > std::max(a.y, b.y));
}

// The box around both; an empty one adds nothing.
Value rectUnion(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Box a = box(cx, self), b = box(cx, arg(args, 0));
    if (isEmpty(a)) return makeRectangle(cx, b.x, b.y, b.w, b.h);
    if (isEmpty(b)) return makeRectangle(cx, a.x, a.y, a.w, a.h);
    const double left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    return makeRectangle(cx, left, top, std::max(a.x + a.w, b.x + b.w) - left, std::max(a.y + a.h, b.y + b.h) - top);
}

// The edges and corners, read and written through x, y, width and height.
Value getLeft(CallContext& cx, const Value& self, std::span<const Value>) { return cx.get(self, "x"); }
Value getTop(CallContext& cx, const Value& self, std::span<const Value>) { return cx.get(self, "y"); }
Value getRight(CallContext& cx, const Value& self, std::span<const Value>) {
    return Value::number(num(cx, self, "x") + num(cx, self, "width"));
}
Value getBottom(CallContext& cx, const Value& self, std::span<const Value>) {
    return Value::number(num(cx, self, "y") + num(cx, self, "height"));
}
// Moving the left or top edge keeps the right or bottom one.
Value setLeft(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double v = cx.toNumber(arg(args, 0));
    setNumber(cx, self, "width", num(cx, self, "x") + num(cx, self, "width") - v);
    setNumber(cx, self, "x", v);
    return Value();
}
Value setTop(CallContext& cx, const Value& self, std::span<const Value> args) {
    const double v = cx.toNumber(arg(args, 0));
    setNumber(cx, self, "height", num(cx, self, "y") + num(cx, self, "height") - v);
    setNumber(cx, self, "y", v);
    return Value();
}
Value setRight(CallContext& cx, const Value& self, std::span<const Value> args) {
    setNumber(cx, self, "width", cx.toNumber(arg(args, 0)) - num(cx, self, "x"));
    return Value();
}
Value setBottom(CallContext& cx, const Value& self, std::span<const Value> args) {
    setNumber(cx, self, "height", cx.toNumber(arg(args, 0)) - num(cx, self, "y"));
    return Value();
}
Value getSize(CallContext& cx, const Value& self, std::span<const Value>) {
    return makePoint(cx, num(cx, self, "width"), num(cx, self, "height"));
}
Value setSize(CallContext& cx, const Value& self, std::span<const Value> args) {
    setNumber(cx, self, "width", num(cx, arg(args, 0), "x"));
    setNumber(cx, self, "height", num(cx, arg(args, 0), "y"));
    return Value();
}
Value getTopLeft(CallContext& cx, const Value& self, std::span<const Value>) {
    return makePoint(cx, num(cx, self, "x"), num(cx, self, "y"));
}
Value setTopLeft(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value v[] = {Value::number(num(cx, arg(args, 0), "x"))};
    setLeft(cx, self, v);
    const Value w[] = {Value::number(num(cx, arg(args, 0), "y"))};
    setTop(cx, self, w);
    return Value();
}
Value getBottomRight(CallContext& cx, const Value& self, std::span<const Value>) {
    return makePoint(cx, num(cx, self, "x") + num(cx, self, "width"), num(cx, self, "y") + num(cx, self, "height"));
}
Value setBottomRight(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value v[] = {Value::number(num(cx, arg(args, 0), "x"))};
    setRight(cx, self, v);
    const Value w[] = {Value::number(num(cx, arg(args, 0), "y"))};
    setBottom(cx, self, w);
    return Value();
}

}  // namespace

void installGeometry(Vm& vm) {
    Object* geom = packageObject(vm, "flash.geom");

    Object* point = vm.newObject();
    FunctionObject* pointClass = defineClass(vm, geom, "Point", pointNew, point, nullptr, 2);
    defineMethods(vm, point,
                  {{"add", pointAdd, 1},
                   {"subtract", pointSubtract, 1},
                   {"clone", pointClone},
                   {"equals", pointEquals, 1},
                   {"normalize", pointNormalize, 1},
                   {"offset", pointOffset, 2},
                   {"toString", pointToString}});
    defineAccessor(vm, point, "length", pointLength, nullptr);
    defineMethods(vm, pointClass,
                  {{"distance", pointDistance, 2}, {"interpolate", pointInterpolate, 3}, {"polar", pointPolar, 2}});

    Object* rect = vm.newObject();
    defineClass(vm, geom, "Rectangle", rectNew, rect, nullptr, 4);
    defineMethods(vm, rect,
                  {{"clone", rectClone},
                   {"toString", rectToString},
                   {"isEmpty", rectIsEmpty},
                   {"setEmpty", rectSetEmpty},
                   {"contains", rectContains, 2},
                   {"containsPoint", rectContainsPoint, 1},
                   {"containsRectangle", rectContainsRectangle, 1},
                   {"equals", rectEquals, 1},
                   {"inflate", rectInflate, 2},
                   {"inflatePoint", rectInflatePoint, 1},
                   {"offset", rectOffset, 2},
                   {"offsetPoint", rectOffsetPoint, 1},
                   {"intersection", rectIntersection, 1},
                   {"intersects", rectIntersects, 1},
                   {"union", rectUnion, 1}});
    defineAccessor(vm, rect, "left", getLeft, setLeft);
    defineAccessor(vm, rect, "top", getTop, setTop);
    defineAccessor(vm, rect, "right", getRight, setRight);
    defineAccessor(vm, rect, "bottom", getBottom, setBottom);
    defineAccessor(vm, rect, "size", getSize, setSize);
    defineAccessor(vm, rect, "topLeft", getTopLeft, setTopLeft);
    defineAccessor(vm, rect, "bottomRight", getBottomRight, setBottomRight);
}

}  // namespace velmora::swf::script
