#pragma once

#include <string_view>

#include "swf/runtime/script/native.h"

namespace velmora::swf {
class Clip;
struct DisplayObject;
}  // namespace velmora::swf

namespace velmora::swf::script {

// What the host classes (Color, flash.geom, flash.filters, Stage, ContextMenu) share: their
// packages, their constructors and accessors, and the clip a value stands for.

// The object at a dotted path under _global ("flash.geom"), made (as a plain object) where missing.
Object* packageObject(Vm& vm, std::string_view path);
// A constructor stored as pkg[name] (pkg null: _global), with its prototype, as defineConstructor
// makes one on _global.
FunctionObject* defineClass(Vm& vm, Object* pkg, std::string_view name, NativeFunction function, Object* prototype,
                            Allocator allocator = nullptr, int length = 0);
// A getter (and setter, which may be null for a read-only one) on target, hidden from for..in.
void defineAccessor(Vm& vm, Object* target, std::string_view name, NativeFunction getter, NativeFunction setter);
// `new pkg.name(args...)` for natives that hand out instances of another host class. Undefined
// when a script has taken the class away.
Value constructNamed(CallContext& cx, std::string_view path, std::span<const Value> args);

// The clip a value stands for: a clip reference, or a target path read from the timeline of the
// code that runs now. nullptr when it names nothing.
Clip* clipOfValue(CallContext& cx, const Value& value);
// self as a clip, nullptr when it is none.
Clip* clipOfSelf(CallContext& cx, const Value& self);
// The display object of a placed clip; nullptr for the root, which nothing placed.
DisplayObject* placedObject(Clip* clip);

// A number property of an object, the fallback when it is missing or not a number.
double numberField(CallContext& cx, const Value& object, std::string_view name, double fallback);
void setNumber(CallContext& cx, const Value& object, std::string_view name, double value);

// A colour multiplier and offset as a script gives them, bounded so that a wild value cannot
// overflow the transform (NaN reads as 0).
double colorMultiplier(double multiplier);
int32_t colorOffset(double offset);

// The installers, one per file; installHostObjects calls them in order.
void installColor(Vm& vm);
void installGeometry(Vm& vm);
void installMatrix(Vm& vm);
void installColorTransform(Vm& vm);
void installTransform(Vm& vm);
void installFilters(Vm& vm);
void installClipEffects(Vm& vm);
void installStage(Vm& vm);
void installContextMenu(Vm& vm);

}  // namespace velmora::swf::script
