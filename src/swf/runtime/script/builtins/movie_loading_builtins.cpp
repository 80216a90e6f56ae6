// Movies loaded into clips and levels: MovieClip.loadMovie and unloadMovie, and MovieClipLoader.
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/host_classes.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/movie_loads.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

namespace {

// A MovieClipLoader's target: a level's number, or a clip (a reference or a target path). An
// empty level may be named ("_level3", or 3) before anything is loaded there.
std::optional<MovieLoads::Target> targetOf(CallContext& cx, const Value& value) {
    MovieLoads::Target target;
    if (value.isNumber()) {
        const double n = cx.toNumber(value);
        if (!(n >= 0 && n <= MovieInstance::kMaxLevel)) return std::nullopt;
        target.level = static_cast<int>(n);
        return target;
    }
    if (Clip* clip = clipOfValue(cx, value)) {
        target.clip = clip->handle();
        return target;
    }
    if (value.isString()) {
        const int level = levelNumber(cx.toStdString(value));
        if (level >= 0) {
            target.level = level;
            return target;
        }
    }
    return std::nullopt;
}

Value clipLoadMovie(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* c = clipOfSelf(cx, self);
    if (!c || args.empty()) return Value();
    const std::string url = cx.toStdString(args[0]);
    if (args.size() > 1 && !args[1].isUndefined()) {
        cx.vm.diagnostic("script: loadMovie sends nothing: \"" + url.substr(0, 200) + "\" is only read");
    }
    cx.vm.movie().movieLoads().load({c->handle(), -1}, url);
    return Value();
}

Value clipUnloadMovie(CallContext& cx, const Value& self, std::span<const Value>) {
    if (Clip* c = clipOfSelf(cx, self)) cx.vm.movie().movieLoads().load({c->handle(), -1}, std::string());
    return Value();
}

Value clipLoadVariables(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* c = clipOfSelf(cx, self);
    if (!c || args.empty()) return Value();
    cx.vm.movie().fileLoads().request(FileLoads::Kind::Variables, Value::object(cx.vm.clipObject(*c)),
                                      cx.toStdString(args[0]));
    return Value();
}

Value loaderConstruct(CallContext& cx, const Value& self, std::span<const Value>) {
    // The loader is its own first listener: loader.onLoadInit = ... works without addListener.
    if (Object* o = self.objectOrNull()) {
        ArrayObject* listeners = cx.newArray();
        listeners->elements().push_back(self);
        o->put(cx.vm.key("_listeners"), cx.vm.name("_listeners"), Value::object(listeners), kDontEnum);
    }
    return self;
}

Value loadClip(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (args.size() < 2) return Value::boolean(false);
    const std::string url = cx.toStdString(args[0]);
    const auto target = targetOf(cx, args[1]);
    if (!target) {
        cx.vm.diagnostic("script: MovieClipLoader.loadClip of \"" + url.substr(0, 200) + "\" addresses no clip");
        return Value::boolean(false);
    }
    if (url.empty()) return Value::boolean(false);
    cx.vm.movie().movieLoads().load(*target, url, self);
    return Value::boolean(true);
}

Value unloadClip(CallContext& cx, const Value&, std::span<const Value> args) {
    const auto target = targetOf(cx, arg(args, 0));
    if (!target) return Value::boolean(false);
    cx.vm.movie().movieLoads().load(*target, std::string());
    return Value::boolean(true);
}

// {bytesLoaded, bytesTotal} of the movie in the target clip.
Value getProgress(CallContext& cx, const Value&, std::span<const Value> args) {
    const auto target = targetOf(cx, arg(args, 0));
    Clip* clip = target ? (target->clip.get() ? target->clip.get() : cx.vm.movie().level(target->level)) : nullptr;
    const auto [loaded, total] = clip ? MovieLoads::progress(*clip) : std::pair<uint64_t, uint64_t>{0, 0};
    const Value result = Value::object(cx.newObject());
    cx.set(result, "bytesLoaded", Value::number(static_cast<double>(loaded)));
    cx.set(result, "bytesTotal", Value::number(static_cast<double>(total)));
    return result;
}

}  // namespace

void installMovieLoading(Vm& vm) {
    Realm& r = vm.realm();
    defineMethods(vm, r.movieClipPrototype,
                  {{"loadMovie", clipLoadMovie, 1}, {"unloadMovie", clipUnloadMovie}, {"loadVariables", clipLoadVariables, 1}});

    Object* proto = vm.newObject();
    defineConstructor(vm, "MovieClipLoader", loaderConstruct, proto);
    defineMethods(vm, proto,
                  {{"loadClip", loadClip, 2}, {"unloadClip", unloadClip, 1}, {"getProgress", getProgress, 1}});
    // Listeners as AsBroadcaster keeps them.
    const Value broadcaster = vm.getMember(Value::object(vm.global()), vm.key("AsBroadcaster"));
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        const Value method = broadcaster.isObject() ? vm.getMember(broadcaster, vm.key(name)) : Value();
        if (method.isObject()) defineValue(vm, proto, name, method);
    }
}

}  // namespace velmora::swf::script
