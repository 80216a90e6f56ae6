// flash.display.BitmapData: pictures scripts make, fill, copy, draw into and read back.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "swf/format/bitmap.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/picture_services.h"
#include "swf/runtime/script/builtins/bitmap_data_object.h"
#include "swf/runtime/script/builtins/drawing_arguments.h"
#include "swf/runtime/script/clip_object.h"

namespace velmora::swf::script {

bool BitmapDataObject::getSpecial(Vm& vm, String* key, Value& out) {
    const bool gone = pixels->empty();
    if (vm.sameKey(key, vm.key("width"))) {
        out = Value::number(gone ? -1 : pixels->width);
    } else if (vm.sameKey(key, vm.key("height"))) {
        out = Value::number(gone ? -1 : pixels->height);
    } else if (vm.sameKey(key, vm.key("transparent"))) {
        out = gone ? Value::number(-1) : Value::boolean(pixels->transparent);
    } else if (vm.sameKey(key, vm.key("rectangle"))) {
        if (gone) {
            out = Value::number(-1);
            return true;
        }
        const Value box[4] = {Value::number(0), Value::number(0), Value::number(pixels->width),
                              Value::number(pixels->height)};
        // A flash.geom.Rectangle where the movie has one, else an object with its fields.
        const Value flash = vm.getMember(Value::object(vm.global()), vm.key("flash"));
        const Value geom = flash.isObject() ? vm.getMember(flash, vm.key("geom")) : Value();
        const Value rectangle = geom.isObject() ? vm.getMember(geom, vm.key("Rectangle")) : Value();
        Object* r = rectangle.objectOrNull();
        if (r && r->asFunction()) {
            out = vm.construct(rectangle, box);
        } else {
            Object* plain = vm.newObject();
            const char* names[4] = {"x", "y", "width", "height"};
            for (int i = 0; i < 4; ++i) plain->put(vm.key(names[i]), vm.name(names[i]), box[i]);
            out = Value::object(plain);
        }
    } else {
        return false;
    }
    return true;
}

bool BitmapDataObject::setSpecial(Vm& vm, String* key, const Value&) {
    // Read-only, as the picture's size is fixed when it is made.
    return vm.sameKey(key, vm.key("width")) || vm.sameKey(key, vm.key("height")) || vm.sameKey(key, vm.key("transparent")) ||
           vm.sameKey(key, vm.key("rectangle"));
}

BitmapDataObject* bitmapDataOf(const Value& value) {
    Object* o = value.objectOrNull();
    if (!o || o->kind() != ObjectKind::Host || std::strcmp(o->className(), "BitmapData") != 0) return nullptr;
    return dynamic_cast<BitmapDataObject*>(o);
}

namespace {

Object* allocateBitmapData(Vm& vm, Object* proto) { return vm.heap().make<BitmapDataObject>(proto); }

// self's pixels when it is a BitmapData that still has them, else nullptr.
BitmapPixels* live(const Value& self) {
    BitmapDataObject* b = bitmapDataOf(self);
    return b && !b->pixels->empty() ? b->pixels.get() : nullptr;
}

uint32_t colourArg(CallContext& cx, const Value& v) { return toUint32(cx.toNumber(v)); }

Value construct(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapDataObject* b = bitmapDataOf(self);
    if (!b) return Value();
    const double w = cx.toNumber(arg(args, 0));
    const double h = cx.toNumber(arg(args, 1));
    const bool transparent = args.size() < 3 || args[2].isUndefined() || cx.toBoolean(args[2]);
    const uint32_t fill = args.size() < 4 || args[3].isUndefined() ? 0xFFFFFFFFu : colourArg(cx, args[3]);
    auto side = [](double v) { return std::isfinite(v) ? int(std::clamp(std::trunc(v), -1.0, 1e6)) : 0; };
    if (b->pixels->allocate(side(w), side(h), transparent, fill)) {
        cx.heap().account(b);  // past the movie's memory the script stops here
    } else {
        cx.vm.movie().report(DiagnosticRoom::Script,
                             "BitmapData of " + std::to_string(side(w)) + " x " + std::to_string(side(h)) +
                                 " pixels refused: sides go from 1 to " + std::to_string(BitmapPixels::kMaxSide),
                             "BitmapData size");
    }
    return self;
}

Value getPixel(CallContext& cx, const Value& self, std::span<const Value> args) {
    const BitmapPixels* p = live(self);
    if (!p) return Value::number(0);
    return Value::number(p->at(cx.toInt32(arg(args, 0)), cx.toInt32(arg(args, 1))) & 0xFFFFFF);
}

Value getPixel32(CallContext& cx, const Value& self, std::span<const Value> args) {
    const BitmapPixels* p = live(self);
    if (!p) return Value::number(0);
    return Value::number(p->at(cx.toInt32(arg(args, 0)), cx.toInt32(arg(args, 1))));
}

void changed(CallContext& cx) { cx.vm.movie().noteChange(); }

Value setPixel(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapPixels* p = live(self);
    if (!p) return Value();
    const int x = cx.toInt32(arg(args, 0));
    const int y = cx.toInt32(arg(args, 1));
    // The pixel keeps its alpha.
    p->set(x, y, (p->at(x, y) & 0xFF000000u) | (colourArg(cx, arg(args, 2)) & 0xFFFFFF));
    changed(cx);
    return Value();
}

Value setPixel32(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapPixels* p = live(self);
    if (!p) return Value();
    p->set(cx.toInt32(arg(args, 0)), cx.toInt32(arg(args, 1)), colourArg(cx, arg(args, 2)));
    changed(cx);
    return Value();
}

// A rectangle as whole pixels (its edges rounded to the nearest pixel).
struct IntRect {
    int64_t x, y, w, h;
};

IntRect whole(const PixelRect& r) {
    auto n = [](double v) { return int64_t(std::clamp(std::round(v), -1e7, 1e7)); };
    return {n(r.x), n(r.y), n(r.width), n(r.height)};
}

Value fillRect(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapPixels* p = live(self);
    const std::optional<PixelRect> rect = readRect(cx, arg(args, 0));
    if (!p || !rect) return Value();
    const uint32_t colour = colourArg(cx, arg(args, 1));
    const IntRect r = whole(*rect);
    const int64_t x0 = std::max<int64_t>(r.x, 0), y0 = std::max<int64_t>(r.y, 0);
    const int64_t x1 = std::min<int64_t>(r.x + r.w, p->width), y1 = std::min<int64_t>(r.y + r.h, p->height);
    if (x1 > x0 && y1 > y0) p->fill(int(x0), int(y0), int(x1 - x0), int(y1 - y0), colour);
    changed(cx);
    return Value();
}

Value copyPixels(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapPixels* target = live(self);
    const BitmapPixels* source = live(arg(args, 0));
    const std::optional<PixelRect> rect = readRect(cx, arg(args, 1));
    if (!target || !source || !rect) return Value();
    double px = 0, py = 0, ax = 0, ay = 0;
    readPoint(cx, arg(args, 2), px, py);
    const BitmapPixels* alpha = live(arg(args, 3));
    readPoint(cx, arg(args, 4), ax, ay);
    const bool merge = cx.toBoolean(arg(args, 5));
    const IntRect r = whole(*rect);
    const int64_t dx = int64_t(std::clamp(std::round(px), -1e7, 1e7)) - r.x;
    const int64_t dy = int64_t(std::clamp(std::round(py), -1e7, 1e7)) - r.y;
    const int64_t adx = int64_t(std::clamp(std::round(ax), -1e7, 1e7)) - r.x;
    const int64_t ady = int64_t(std::clamp(std::round(ay), -1e7, 1e7)) - r.y;
    // The source rectangle cut to the source, then to where it lands in the target.
    const int64_t x0 = std::max({r.x, int64_t(0), -dx}), y0 = std::max({r.y, int64_t(0), -dy});
    const int64_t x1 = std::min({r.x + r.w, int64_t(source->width), int64_t(target->width) - dx});
    const int64_t y1 = std::min({r.y + r.h, int64_t(source->height), int64_t(target->height) - dy});
    if (x1 <= x0 || y1 <= y0) return Value();
    // Read before written: source and target may be the same picture.
    std::vector<uint32_t> block;
    block.reserve(size_t((x1 - x0) * (y1 - y0)));
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x) {
            uint32_t c = source->transparent ? source->at(int(x), int(y)) : source->at(int(x), int(y)) | 0xFF000000u;
            if (alpha) {
                // The alpha picture's alpha scales the source's.
                const uint32_t a = alpha->at(int(x + adx), int(y + ady)) >> 24;
                c = (c & 0xFFFFFF) | (((c >> 24) * a + 127) / 255) << 24;
            }
            block.push_back(c);
        }
    size_t i = 0;
    for (int64_t y = y0; y < y1; ++y)
        for (int64_t x = x0; x < x1; ++x) {
            const uint32_t c = block[i++];
            const int tx = int(x + dx), ty = int(y + dy);
            target->set(tx, ty, merge || alpha ? blendOver(c, target->at(tx, ty)) : c);
        }
    changed(cx);
    return Value();
}

Value drawInto(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapPixels* target = live(self);
    if (!target) return Value();
    PictureServices* services = cx.vm.movie().pictures();
    if (!services) {
        cx.unsupported("BitmapData.prototype.draw without a renderer");
        return Value();
    }
    const Matrix matrix = readMatrixArgument(cx, arg(args, 1)).value_or(Matrix{});
    const ColorTransform colour = readColorTransform(cx, arg(args, 2));
    const std::optional<PixelRect> clipRect = readRect(cx, arg(args, 4));
    const bool smoothing = cx.toBoolean(arg(args, 5));
    Object* source = arg(args, 0).objectOrNull();
    if (source && source->kind() == ObjectKind::Clip) {
        if (Clip* clip = static_cast<ClipObject*>(source)->clip(cx.vm))
            services->drawClip(*clip, matrix, colour, clipRect, smoothing, *target);
    } else if (const BitmapPixels* picture = live(arg(args, 0))) {
        services->drawPicture(*picture, matrix, colour, clipRect, smoothing, *target);
    } else {
        return Value();
    }
    changed(cx);
    return Value();
}

Value noise(CallContext& cx, const Value& self, std::span<const Value> args) {
    BitmapPixels* p = live(self);
    if (!p) return Value();
    uint32_t state = toUint32(cx.toNumber(arg(args, 0))) * 2654435761u + 1;
    auto next = [&state] {
        // xorshift: the same seed gives the same picture.
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    const double lowArg = args.size() > 1 ? cx.toNumber(args[1]) : 0;
    const double highArg = args.size() > 2 ? cx.toNumber(args[2]) : 255;
    const uint32_t low = uint32_t(std::isfinite(lowArg) ? std::clamp(lowArg, 0.0, 255.0) : 0);
    const uint32_t high = std::max(low, uint32_t(std::isfinite(highArg) ? std::clamp(highArg, 0.0, 255.0) : 255));
    const uint32_t channels = args.size() > 3 && !args[3].isUndefined() ? toUint32(cx.toNumber(args[3])) : 7;
    const bool gray = cx.toBoolean(arg(args, 4));
    const bool alpha = (channels & 8) && p->transparent;
    auto value = [&] { return low + next() % (high - low + 1); };
    for (uint32_t& c : p->argb) {
        uint32_t r = 0, g = 0, b = 0;
        if (gray) {
            r = g = b = value();
        } else {
            if (channels & 1) r = value();
            if (channels & 2) g = value();
            if (channels & 4) b = value();
        }
        const uint32_t a = alpha ? value() : 255;
        c = a << 24 | r << 16 | g << 8 | b;
    }
    changed(cx);
    return Value();
}

// A new BitmapData object holding pixels (moved in).
Value newBitmapData(CallContext& cx, BitmapPixels&& pixels) {
    const Value ctor = cx.get(Value::object(cx.vm.global()), "flash");
    const Value display = ctor.isObject() ? cx.get(ctor, "display") : Value();
    const Value bitmapData = display.isObject() ? cx.get(display, "BitmapData") : Value();
    const Value proto = bitmapData.isObject() ? cx.get(bitmapData, "prototype") : Value();
    auto* b = cx.heap().make<BitmapDataObject>(proto.objectOrNull() ? proto.objectOrNull() : cx.realm().objectPrototype);
    *b->pixels = std::move(pixels);
    cx.heap().account(b);
    return Value::object(b);
}

Value cloneBitmap(CallContext& cx, const Value& self, std::span<const Value>) {
    const BitmapPixels* p = live(self);
    if (!p) return Value();
    BitmapPixels copy = *p;
    return newBitmapData(cx, std::move(copy));
}

Value dispose(CallContext& cx, const Value& self, std::span<const Value>) {
    if (BitmapDataObject* b = bitmapDataOf(self)) {
        b->pixels->release();
        cx.heap().account(b);
        changed(cx);
    }
    return Value();
}

Value loadBitmap(CallContext& cx, const Value&, std::span<const Value> args) {
    const std::string name = cx.toStdString(arg(args, 0));
    const Movie& movie = cx.vm.movie().movie();
    const auto it = movie.exports.find(name);
    const Character* c = it == movie.exports.end() ? nullptr : movie.character(it->second);
    if (!c || c->kind != CharacterKind::Bitmap) return Value();
    PictureServices* services = cx.vm.movie().pictures();
    if (!services) {
        cx.unsupported("BitmapData.loadBitmap without a renderer");
        return Value();
    }
    BitmapPixels pixels;
    if (!services->decodeBitmap(static_cast<const BitmapCharacter&>(*c), pixels) || pixels.empty()) return Value();
    return newBitmapData(cx, std::move(pixels));
}

// Methods of the class this player does not draw: reported by name when called.
Value notBuilt(CallContext& cx, const Value&, std::span<const Value>) {
    const Value name = cx.callee->data;
    cx.unsupported("BitmapData.prototype." + (name.isString() ? name.asString()->text() : std::string("?")));
    return Value();
}

}  // namespace

void installBitmapData(Vm& vm) {
    Object* proto = vm.newObject();
    FunctionObject* ctor = makeNative(vm, construct, 4, allocateBitmapData);
    ctor->put(vm.names().prototype, vm.names().prototype, Value::object(proto), kDontEnum | kDontDelete);
    proto->put(vm.names().constructor, vm.names().constructor, Value::object(ctor), kDontEnum);
    defineMethods(vm, proto,
                  {{"getPixel", getPixel, 2},
                   {"getPixel32", getPixel32, 2},
                   {"setPixel", setPixel, 3},
                   {"setPixel32", setPixel32, 3},
                   {"fillRect", fillRect, 2},
                   {"copyPixels", copyPixels, 6},
                   {"draw", drawInto, 6},
                   {"noise", noise, 5},
                   {"clone", cloneBitmap},
                   {"dispose", dispose}});
    for (const char* name : {"applyFilter", "colorTransform", "compare", "copyChannel", "floodFill",
                             "generateFilterRect", "getColorBoundsRect", "hitTest", "merge", "paletteMap",
                             "perlinNoise", "pixelDissolve", "scroll", "threshold"}) {
        defineNative(vm, proto, name, notBuilt)->data = Value::string(vm.name(name));
    }
    defineNative(vm, ctor, "loadBitmap", loadBitmap, 1);
    // flash.display, made here unless another class made it first.
    auto package = [&vm](Object* parent, const char* name) {
        const Value found = vm.getMember(Value::object(parent), vm.key(name));
        if (Object* o = found.objectOrNull()) return o;
        Object* made = vm.newObject();
        parent->put(vm.key(name), vm.name(name), Value::object(made), kDontEnum);
        return made;
    };
    Object* display = package(package(vm.global(), "flash"), "display");
    display->put(vm.key("BitmapData"), vm.name("BitmapData"), Value::object(ctor), kDontEnum);
}

}  // namespace velmora::swf::script
