// The timeline methods of MovieClip.prototype; the rest of the movie's API builds on these.
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/core.h"
#include "swf/runtime/script/builtins/movieclip_parts.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/movie_loads.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

Clip* clipOf(CallContext& cx, const Value& self) {
    Object* o = self.objectOrNull();
    if (!o || o->kind() != ObjectKind::Clip) return nullptr;
    return static_cast<ClipObject*>(o)->clip(cx.vm);
}

// A frame as a script gives it: a number counted from 1, or a label.
void gotoValue(CallContext& cx, Clip& clip, const Value& frame) {
    const double n = frame.isString() ? stringToNumber(frame.asString()->view(), cx.version()) : cx.toNumber(frame);
    if (std::isfinite(n)) {
        if (n >= 1) clip.gotoFrame(static_cast<size_t>(std::min(n, 1e9)) - 1);
    } else {
        clip.gotoLabel(cx.toStdString(frame));
    }
}

Value play(CallContext& cx, const Value& self, std::span<const Value>) {
    if (Clip* c = clipOf(cx, self)) c->play();
    return Value();
}

Value stop(CallContext& cx, const Value& self, std::span<const Value>) {
    if (Clip* c = clipOf(cx, self)) c->stop();
    return Value();
}

Value nextFrame(CallContext& cx, const Value& self, std::span<const Value>) {
    if (Clip* c = clipOf(cx, self)) c->nextFrame();
    return Value();
}

Value prevFrame(CallContext& cx, const Value& self, std::span<const Value>) {
    if (Clip* c = clipOf(cx, self)) c->prevFrame();
    return Value();
}

// gotoAndPlay(frame) or gotoAndPlay(scene, frame): a frame number of a scene counts from the
// scene's first frame on the main timeline; a scene the movie does not name, or any scene on a
// clip's own timeline, leaves the frame as it is.
void gotoArgs(CallContext& cx, Clip& clip, std::span<const Value> args) {
    if (args.size() < 2) {
        gotoValue(cx, clip, args[0]);
        return;
    }
    const auto& scenes = cx.vm.movie().movie().scenes;
    const auto scene = clip.isRoot() ? scenes.find(cx.toStdString(args[0])) : scenes.end();
    if (scene == scenes.end() || args[1].isString()) {
        gotoValue(cx, clip, args[1]);
        return;
    }
    const double n = cx.toNumber(args[1]);
    if (std::isfinite(n) && n >= 1) clip.gotoFrame(static_cast<size_t>(std::min(n, 1e9)) - 1 + scene->second);
}

Value gotoAndPlay(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* c = clipOf(cx, self);
    if (!c || args.empty()) return Value();
    gotoArgs(cx, *c, args);
    c->play();
    return Value();
}

Value gotoAndStop(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* c = clipOf(cx, self);
    if (!c || args.empty()) return Value();
    gotoArgs(cx, *c, args);
    c->stop();
    return Value();
}

// The whole file is loaded before the movie starts: preloaders see it complete. A clip inside a
// loaded movie answers for that movie's file.
Value bytesLoaded(CallContext& cx, const Value& self, std::span<const Value>) {
    const Clip* c = clipOf(cx, self);
    if (!c) return Value();
    return Value::number(static_cast<double>(MovieLoads::progress(*c).first));
}

Value bytesTotal(CallContext& cx, const Value& self, std::span<const Value>) {
    const Clip* c = clipOf(cx, self);
    if (!c) return Value();
    return Value::number(static_cast<double>(MovieLoads::progress(*c).second));
}

Value startDrag(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* c = clipOf(cx, self);
    if (!c) return Value();
    double box[4];
    const bool constrain = args.size() >= 5;
    if (constrain) {
        for (int i = 0; i < 4; ++i) box[i] = cx.toNumber(args[static_cast<size_t>(i) + 1]);
    }
    cx.vm.startDrag(c, cx.toBoolean(arg(args, 0)), constrain ? box : nullptr);
    return Value();
}

Value stopDrag(CallContext& cx, const Value&, std::span<const Value>) {
    cx.vm.endDrag();
    return Value();
}

Value clipConstruct(CallContext&, const Value& self, std::span<const Value>) { return self; }

}  // namespace

void installMovieClipBuiltins(Vm& vm) {
    Realm& r = vm.realm();
    defineConstructor(vm, "MovieClip", clipConstruct, r.movieClipPrototype);
    defineMethods(vm, r.movieClipPrototype,
                  {{"play", play},
                   {"stop", stop},
                   {"nextFrame", nextFrame},
                   {"prevFrame", prevFrame},
                   {"gotoAndPlay", gotoAndPlay, 1},
                   {"gotoAndStop", gotoAndStop, 1},
                   {"getBytesLoaded", bytesLoaded},
                   {"getBytesTotal", bytesTotal},
                   {"startDrag", startDrag},
                   {"stopDrag", stopDrag}});
    // Kept as the player keeps them: plain properties with these defaults, which the pointer and
    // focus handling read; tabEnabled, tabIndex, tabChildren, hitArea and menu start undefined.
    defineValue(vm, r.movieClipPrototype, "enabled", Value::boolean(true));
    defineValue(vm, r.movieClipPrototype, "useHandCursor", Value::boolean(true));
    defineValue(vm, r.movieClipPrototype, "_lockroot", Value::boolean(false));
    installMovieClipCreation(vm);
    installMovieClipGeometry(vm);
}

}  // namespace velmora::swf::script
