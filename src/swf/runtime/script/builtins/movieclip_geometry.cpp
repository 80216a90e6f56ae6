// The MovieClip methods about where a clip is and what it covers, and the few that answer about
// the file it came from. Points and boxes are in pixels, as scripts see them.
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/clip_geometry.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/movieclip_parts.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/net_streams.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

Clip* clipOf(CallContext& cx, const Value& v) {
    Object* o = v.objectOrNull();
    if (!o || o->kind() != ObjectKind::Clip) return nullptr;
    return static_cast<ClipObject*>(o)->clip(cx.vm);
}

// The box the player gives a clip with nothing in it: every edge at the largest coordinate.
constexpr double kEmptyEdge = 6710886.35;

// getBounds(targetSpace) and getRect(targetSpace): the box of this clip's content in the target
// clip's coordinates (its own when no target is given). Strokes add nothing to the boxes kept,
// so both answer alike.
Value getBounds(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    if (!clip) return Value();
    Clip* space = args.empty() ? clip : clipOf(cx, args[0]);
    if (!space) return Value();
    const auto box = boundsIn(*clip, *space);
    Object* result = cx.newObject();
    const Value out = Value::object(result);
    auto edge = [&](const char* name, int32_t twips) {
        cx.set(out, name, Value::number(box ? twips / kTwipsPerPixel : kEmptyEdge));
    };
    edge("xMin", box ? box->xMin : 0);
    edge("xMax", box ? box->xMax : 0);
    edge("yMin", box ? box->yMin : 0);
    edge("yMax", box ? box->yMax : 0);
    return out;
}

// Reads point.x and point.y in pixels; false when point is no object.
bool readPoint(CallContext& cx, const Value& point, double& x, double& y) {
    if (!point.isObject()) return false;
    x = cx.toNumber(cx.get(point, "x")) * kTwipsPerPixel;
    y = cx.toNumber(cx.get(point, "y")) * kTwipsPerPixel;
    return std::isfinite(x) && std::isfinite(y);
}

void writePoint(CallContext& cx, const Value& point, double x, double y) {
    cx.set(point, "x", Value::number(x / kTwipsPerPixel));
    cx.set(point, "y", Value::number(y / kTwipsPerPixel));
}

// globalToLocal(point): the stage point, changed in place to this clip's coordinates.
Value globalToLocal(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    double x = 0, y = 0;
    if (!clip || !readPoint(cx, arg(args, 0), x, y)) return Value();
    if (applyInverse(stageMatrix(*clip), x, y)) writePoint(cx, args[0], x, y);
    return Value();
}

// localToGlobal(point): the point in this clip's coordinates, changed in place to the stage's.
Value localToGlobal(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    double x = 0, y = 0;
    if (!clip || !readPoint(cx, arg(args, 0), x, y)) return Value();
    const Matrix m = stageMatrix(*clip);
    writePoint(cx, args[0], m.a * x + m.c * y + m.tx, m.b * x + m.d * y + m.ty);
    return Value();
}

// hitTest(x, y [, shapeFlag]) with a stage point, or hitTest(target): whether the two clips'
// boxes on the stage overlap.
Value hitTest(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    if (!clip || args.empty()) return Value::boolean(false);
    if (args.size() >= 2) {
        const double x = cx.toNumber(args[0]) * kTwipsPerPixel;
        const double y = cx.toNumber(args[1]) * kTwipsPerPixel;
        if (!std::isfinite(x) || !std::isfinite(y)) return Value::boolean(false);
        return Value::boolean(hitsPoint(*clip, x, y, cx.toBoolean(arg(args, 2))));
    }
    Clip* other = clipOf(cx, args[0]);
    if (!other) return Value::boolean(false);
    Clip& stage = cx.vm.movie().root();
    const auto a = boundsIn(*clip, stage);
    const auto b = boundsIn(*other, stage);
    return Value::boolean(a && b && a->xMin <= b->xMax && b->xMin <= a->xMax && a->yMin <= b->yMax &&
                          b->yMin <= a->yMax);
}

// setMask(mask): mask's shapes clip this clip's drawing, and mask is no longer drawn itself;
// setMask(null) shows this clip whole again and its former mask as it is.
Value setMask(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    DisplayObject* masked = clip ? clip->displayObject() : nullptr;
    if (!masked) return Value::boolean(false);
    Clip* mask = clipOf(cx, arg(args, 0));
    if (mask == clip || (mask && !mask->displayObject())) return Value::boolean(false);
    if (Clip* before = masked->scriptMask.get(); before && before->displayObject()) {
        before->displayObject()->maskOnly = false;
    }
    masked->scriptMask = mask ? mask->handle() : ClipHandle();
    if (mask) mask->displayObject()->maskOnly = true;
    cx.vm.movie().noteChange();
    return Value::boolean(true);
}

Value getSWFVersion(CallContext& cx, const Value& self, std::span<const Value>) {
    const Clip* c = clipOf(cx, self);
    if (!c) return Value();
    return Value::number(c->definitions().version);
}

// A NetStream's sound is then heard through the clip's sound settings (a video component sets its
// volume so). A lesson player has no microphone to attach: nothing happens, and nothing is wrong.
Value attachAudio(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, self);
    auto* stream = dynamic_cast<NetStreamObject*>(arg(args, 0).objectOrNull());
    if (clip && stream) cx.vm.movie().netStreams().attachAudio(*stream, *clip);
    return Value();
}

}  // namespace

void installMovieClipGeometry(Vm& vm) {
    defineMethods(vm, vm.realm().movieClipPrototype,
                  {{"getBounds", getBounds, 1},
                   {"getRect", getBounds, 1},
                   {"globalToLocal", globalToLocal, 1},
                   {"localToGlobal", localToGlobal, 1},
                   {"hitTest", hitTest, 3},
                   {"setMask", setMask, 1},
                   {"getSWFVersion", getSWFVersion},
                   {"attachAudio", attachAudio, 1}});
}

}  // namespace velmora::swf::script
