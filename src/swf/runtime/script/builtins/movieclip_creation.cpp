// The MovieClip methods that make, remove and reorder clips. Depths are the script's numbering:
// 0 is the first depth above the timeline's, whose depth 1 is -16383 here.
#include <algorithm>
#include <cctype>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_creation.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/script/builtins/movieclip_parts.h"
#include "swf/runtime/script/clip_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

Clip* clipOf(CallContext& cx, const Value& self) {
    Object* o = self.objectOrNull();
    if (!o || o->kind() != ObjectKind::Clip) return nullptr;
    return static_cast<ClipObject*>(o)->clip(cx.vm);
}

std::optional<int32_t> depthArg(CallContext& cx, std::span<const Value> args, size_t i) {
    if (i >= args.size()) return std::nullopt;
    return displayDepthOfScriptDepth(cx.toNumber(args[i]));
}

Value clipValue(CallContext& cx, Clip* clip) { return clip ? Value::object(cx.vm.clipObject(*clip)) : Value(); }

// The exported symbol for a linkage name in the movie parent's timeline comes from.
std::shared_ptr<const Character> exportedSymbol(CallContext& cx, const Clip& parent, const std::string& linkage,
                                                std::string& found) {
    return exportedCharacter(parent.definitions(), linkage, cx.vm.caseSensitive(), &found);
}

// attachMovie(linkage, name, depth [, initObject])
Value attachMovie(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* parent = clipOf(cx, self);
    const auto depth = depthArg(cx, args, 2);
    if (!parent || !depth) return Value();
    std::string linkage;
    auto symbol = exportedSymbol(cx, *parent, cx.toStdString(args[0]), linkage);
    if (!symbol) return Value();
    // The symbol's #initclip code runs before its first instance, however the instance is made:
    // here and now, so that the class it registers makes this instance.
    cx.vm.movie().runInitActionsNow(*parent, symbol->id);
    Clip* clip = attachSprite(*parent, std::move(symbol), cx.toStdString(args[1]), *depth);
    if (!clip) return Value();
    Value constructor = registeredClass(cx.vm, linkage);
    if (!constructor.isObject()) constructor = registeredClassOf(cx.vm, *clip);
    return initialiseClip(cx.vm, *clip, constructor, arg(args, 3));
}

// createEmptyMovieClip(name, depth)
Value createEmptyMovieClip(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* parent = clipOf(cx, self);
    const auto depth = depthArg(cx, args, 1);
    if (!parent || !depth) return Value();
    return clipValue(cx, createEmptyClip(*parent, cx.toStdString(args[0]), *depth));
}

// duplicateMovieClip(name, depth [, initObject]): a copy of this clip beside it.
Value duplicateMovieClip(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* source = clipOf(cx, self);
    const auto depth = depthArg(cx, args, 1);
    if (!source || source->isRoot() || !depth) return Value();
    Clip* copy = duplicateClip(*source, cx.toStdString(args[0]), *depth);
    if (!copy) return Value();
    return initialiseClip(cx.vm, *copy, registeredClassOf(cx.vm, *copy), arg(args, 2));
}

Value removeMovieClip(CallContext& cx, const Value& self, std::span<const Value>) {
    cx.vm.removeSprite(clipOf(cx, self));
    return Value();
}

// swapDepths(depth) or swapDepths(clip): a clip given must share this clip's parent.
Value swapDepths(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    if (!clip || clip->isRoot() || args.empty()) return Value();
    std::optional<int32_t> depth;
    if (Object* o = args[0].objectOrNull(); o && o->kind() == ObjectKind::Clip) {
        Clip* other = static_cast<ClipObject*>(o)->clip(cx.vm);
        if (!other || other->parent() != clip->parent() || !other->displayObject()) return Value();
        depth = other->displayObject()->depth;
    } else {
        depth = depthArg(cx, args, 0);
    }
    if (depth) moveClipToDepth(*clip, *depth);
    return Value();
}

Value getDepth(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* clip = clipOf(cx, self);
    if (!clip) return Value();
    const DisplayObject* placed = clip->displayObject();
    return Value::number(static_cast<double>((placed ? placed->depth : 0) - kScriptDepthOffset));
}

Value getNextHighestDepth(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* clip = clipOf(cx, self);
    if (!clip) return Value();
    return Value::number(static_cast<double>(nextHighestDepth(*clip) - kScriptDepthOffset));
}

Value getInstanceAtDepth(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    const auto depth = depthArg(cx, args, 0);
    if (!clip || !depth) return Value();
    return clipValue(cx, clip->childAt(*depth));
}

}  // namespace

void installMovieClipCreation(Vm& vm) {
    defineMethods(vm, vm.realm().movieClipPrototype,
                  {{"attachMovie", attachMovie, 3},
                   {"createEmptyMovieClip", createEmptyMovieClip, 2},
                   {"duplicateMovieClip", duplicateMovieClip, 2},
                   {"removeMovieClip", removeMovieClip},
                   {"swapDepths", swapDepths, 1},
                   {"getDepth", getDepth},
                   {"getNextHighestDepth", getNextHighestDepth},
                   {"getInstanceAtDepth", getInstanceAtDepth, 1}});
}

}  // namespace velmora::swf::script
