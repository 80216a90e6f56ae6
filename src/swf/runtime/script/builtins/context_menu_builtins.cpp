// ContextMenu and ContextMenuItem: a movie's own entries in the right-button menu, and which of
// the player's entries it keeps. The view asks for the menu through stage_host.h.
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/host_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/stage_host.h"

namespace velmora::swf::script {

namespace {

constexpr const char* kBuiltIns[] = {"save", "zoom", "quality", "play", "loop", "rewind", "forward_back", "print"};

Object* builtInItems(CallContext& cx, bool on) {
    Object* items = cx.newObject();
    for (const char* name : kBuiltIns) items->put(cx.vm.key(name), cx.vm.name(name), Value::boolean(on));
    return items;
}

Value menuNew(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!cx.constructing || !self.isObject()) return Value();
    Object* o = self.asObject();
    o->put(cx.vm.key("builtInItems"), cx.vm.name("builtInItems"), Value::object(builtInItems(cx, true)));
    o->put(cx.vm.key("customItems"), cx.vm.name("customItems"), Value::object(cx.newArray()));
    if (!args.empty()) o->put(cx.vm.key("onSelect"), cx.vm.name("onSelect"), args[0]);
    return self;
}

Value hideBuiltInItems(CallContext& cx, const Value& self, std::span<const Value>) {
    cx.set(self, "builtInItems", Value::object(builtInItems(cx, false)));
    return Value();
}

// A new menu with the same settings; the custom items are copied as well.
Value menuCopy(CallContext& cx, const Value& self, std::span<const Value>) {
    const Value onSelect = cx.get(self, "onSelect");
    Rooted copy(cx.heap(), constructNamed(cx, "ContextMenu", {&onSelect, 1}));
    if (!copy.get().isObject()) return Value();
    const Value builtIns = cx.get(self, "builtInItems");
    Object* flags = builtInItems(cx, true);
    cx.set(copy.get(), "builtInItems", Value::object(flags));
    for (const char* name : kBuiltIns) cx.set(Value::object(flags), name, Value::boolean(cx.toBoolean(cx.get(builtIns, name))));
    ArrayObject* items = cx.newArray();
    cx.set(copy.get(), "customItems", Value::object(items));
    if (ArrayObject* from = CallContext::thisArray(cx.get(self, "customItems"))) {
        const std::vector<Value> list = from->elements();
        for (const Value& item : list) {
            const Value itemCopy = item.isObject() ? cx.call(cx.get(item, "copy"), item, {}) : item;
            items->elements().push_back(itemCopy.isUndefined() ? item : itemCopy);
        }
        cx.heap().account(items);
    }
    return copy.get();
}

Value itemNew(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!cx.constructing || !self.isObject()) return Value();
    cx.set(self, "caption", Value::string(cx.toString(arg(args, 0))));
    cx.set(self, "onSelect", arg(args, 1));
    cx.set(self, "separatorBefore", Value::boolean(args.size() > 2 && cx.toBoolean(args[2])));
    cx.set(self, "enabled", Value::boolean(args.size() <= 3 || cx.toBoolean(args[3])));
    cx.set(self, "visible", Value::boolean(args.size() <= 4 || cx.toBoolean(args[4])));
    return self;
}

Value itemCopy(CallContext& cx, const Value& self, std::span<const Value>) {
    const Value args[] = {cx.get(self, "caption"), cx.get(self, "onSelect"), cx.get(self, "separatorBefore"),
                          cx.get(self, "enabled"), cx.get(self, "visible")};
    return constructNamed(cx, "ContextMenuItem", args);
}

// --- what the view asks; no script runs while the menu is read ---

// object[name] found as a plain value on the object or its prototypes (getters are not called).
Value plainValue(Vm& vm, const Value& object, const char* name) {
    String* key = vm.key(name);
    int guard = 0;
    for (Object* o = object.objectOrNull(); o && guard < 64; o = o->proto(), ++guard) {
        if (const Property* p = vm.ownProperty(o, key)) return p->isAccessor() ? Value() : p->value;
    }
    return Value();
}

bool plainFlag(Vm& vm, const Value& object, const char* name, bool fallback) {
    const Value v = plainValue(vm, object, name);
    return v.isUndefined() ? fallback : vm.toBoolean(v);
}

// The clip whose `menu` applies over `under`, and that menu.
std::pair<Clip*, Value> menuFor(MovieInstance& movie, Clip* under) {
    Vm& vm = movie.vm();
    for (Clip* c = under ? under : &movie.root(); c; c = c->parent()) {
        const Value menu = plainValue(vm, Value::object(vm.clipObject(*c)), "menu");
        if (menu.isObject()) return {c, menu};
    }
    return {nullptr, Value()};
}

}  // namespace

void installContextMenu(Vm& vm) {
    Object* menu = vm.newObject();
    defineClass(vm, nullptr, "ContextMenu", menuNew, menu, nullptr, 1);
    defineMethods(vm, menu, {{"hideBuiltInItems", hideBuiltInItems}, {"copy", menuCopy}});
    Object* item = vm.newObject();
    defineClass(vm, nullptr, "ContextMenuItem", itemNew, item, nullptr, 5);
    defineMethods(vm, item, {{"copy", itemCopy}});
}

std::optional<MovieMenu> openMovieMenu(MovieInstance& movie, Clip* under) {
    if (!movie.runsScripts()) return std::nullopt;
    Vm& vm = movie.vm();
    auto [clip, menuValue] = menuFor(movie, under);
    if (!clip) return std::nullopt;
    Rooted menu(vm.heap(), menuValue);
    const Value onSelect = plainValue(vm, menu.get(), "onSelect");
    if (onSelect.isObject() && onSelect.asObject()->asFunction()) {
        const Value args[] = {Value::object(vm.clipObject(*clip)), menu.get()};
        vm.callTopLevel(onSelect, menu.get(), args);
        movie.runPendingActions();
    }
    MovieMenu out;
    const Value builtIns = plainValue(vm, menu.get(), "builtInItems");
    out.zoom = plainFlag(vm, builtIns, "zoom", true);
    out.quality = plainFlag(vm, builtIns, "quality", true);
    out.play = plainFlag(vm, builtIns, "play", true);
    out.loop = plainFlag(vm, builtIns, "loop", true);
    out.rewind = plainFlag(vm, builtIns, "rewind", true);
    out.forwardBack = plainFlag(vm, builtIns, "forward_back", true);
    if (ArrayObject* items = CallContext::thisArray(plainValue(vm, menu.get(), "customItems"))) {
        // A movie's menu holds a handful of entries; more would not fit on a screen.
        constexpr size_t kMaxItems = 64;
        for (size_t i = 0; i < items->elements().size() && out.items.size() < kMaxItems; ++i) {
            const Value item = items->elements()[i];
            if (!item.isObject() || !plainFlag(vm, item, "visible", true)) continue;
            const Value caption = plainValue(vm, item, "caption");
            if (!caption.isString() || caption.asString()->empty()) continue;
            out.items.push_back({caption.asString()->text().substr(0, 100), plainFlag(vm, item, "separatorBefore", false),
                                 plainFlag(vm, item, "enabled", true), i});
        }
    }
    return out;
}

void chooseMovieMenuItem(MovieInstance& movie, Clip* under, size_t index) {
    if (!movie.runsScripts()) return;
    Vm& vm = movie.vm();
    auto [clip, menuValue] = menuFor(movie, under);
    if (!clip) return;
    ArrayObject* items = CallContext::thisArray(plainValue(vm, menuValue, "customItems"));
    if (!items || index >= items->elements().size()) return;
    Rooted item(vm.heap(), items->elements()[index]);
    const Value onSelect = plainValue(vm, item.get(), "onSelect");
    if (!onSelect.isObject() || !onSelect.asObject()->asFunction()) return;
    const Value args[] = {Value::object(vm.clipObject(*clip)), item.get()};
    vm.callTopLevel(onSelect, item.get(), args);
    movie.runPendingActions();
    movie.noteChange();
}

// The deepest clip whose content's box holds the point, topmost first.
Clip* clipAt(MovieInstance& movie, double xTwips, double yTwips) {
    Clip* found = nullptr;
    Clip* at = &movie.root();
    double x = xTwips, y = yTwips;
    for (int depth = 0; at && depth < 64; ++depth) {
        Clip* next = nullptr;
        for (auto it = at->displayList().rbegin(); it != at->displayList().rend() && !next; ++it) {
            const DisplayObject* o = it->second.get();
            if (!o || !o->clip || !o->visible) continue;
            const Matrix& m = o->matrix;
            const double det = m.a * m.d - m.b * m.c;
            if (det == 0 || !std::isfinite(det)) continue;
            const double dx = x - m.tx, dy = y - m.ty;
            const double lx = (m.d * dx - m.c * dy) / det, ly = (-m.b * dx + m.a * dy) / det;
            const std::optional<Rect> box = contentBounds(*o->clip);
            if (box && lx >= box->xMin && lx <= box->xMax && ly >= box->yMin && ly <= box->yMax) {
                next = o->clip.get();
                x = lx;
                y = ly;
            }
        }
        if (next) found = next;
        at = next;
    }
    return found;
}

}  // namespace velmora::swf::script
