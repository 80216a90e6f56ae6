// NetConnection, NetStream and Video: local FLV files played into the movie's video objects. The
// player reaches no server: only connect(null), the local connection, succeeds.
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/net_streams.h"

namespace velmora::swf::script {

namespace {

NetStreams& streams(CallContext& cx) { return cx.vm.movie().netStreams(); }

NetStreamObject* thisStream(const Value& self) { return dynamic_cast<NetStreamObject*>(self.objectOrNull()); }
VideoObject* thisVideo(const Value& self) { return dynamic_cast<VideoObject*>(self.objectOrNull()); }

Value statusObject(CallContext& cx, const char* code, const char* level) {
    Object* info = cx.newObject();
    cx.set(Value::object(info), "code", cx.stringValue(code));
    cx.set(Value::object(info), "level", cx.stringValue(level));
    return Value::object(info);
}

Value connectionConstruct(CallContext&, const Value&, std::span<const Value>) { return Value(); }

Value connect(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!self.objectOrNull()) return Value::boolean(false);
    const Value where = arg(args, 0);
    const bool local = where.isNull() || where.isUndefined();
    if (!local) {
        cx.vm.diagnostic("script: NetConnection.connect(\"" + cx.toStdString(where).substr(0, 200) +
                         "\") refused: this player reaches no server, only local files");
    }
    cx.set(self, "isConnected", Value::boolean(local));
    cx.set(self, "uri", local ? cx.stringValue("null") : where);
    const Value info = local ? statusObject(cx, "NetConnection.Connect.Success", "status")
                             : statusObject(cx, "NetConnection.Connect.Failed", "error");
    const Rooted keep(cx.heap(), info);
    cx.call(cx.get(self, "onStatus"), self, std::span<const Value>(&info, 1));
    return Value::boolean(local);
}

Value connectionClose(CallContext& cx, const Value& self, std::span<const Value>) {
    if (self.objectOrNull()) cx.set(self, "isConnected", Value::boolean(false));
    return Value();
}

Object* allocateStream(Vm& vm, Object* proto) { return vm.heap().make<NetStreamObject>(proto); }

Value streamConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    NetStreamObject* s = thisStream(self);
    if (!s) return Value();
    const Value connection = arg(args, 0);
    s->connected = connection.isObject() && cx.toBoolean(cx.get(connection, "isConnected"));
    return Value();
}

Value play(CallContext& cx, const Value& self, std::span<const Value> args) {
    NetStreamObject* s = thisStream(self);
    if (!s || args.empty()) return Value();
    streams(cx).play(*s, cx.toStdString(args[0]));
    return Value();
}

Value pause(CallContext& cx, const Value& self, std::span<const Value> args) {
    NetStreamObject* s = thisStream(self);
    if (!s) return Value();
    const Value flag = arg(args, 0);
    streams(cx).pause(*s, flag.isUndefined() ? std::nullopt : std::optional<bool>(cx.toBoolean(flag)));
    return Value();
}

Value seek(CallContext& cx, const Value& self, std::span<const Value> args) {
    NetStreamObject* s = thisStream(self);
    if (s) streams(cx).seek(*s, cx.toNumber(arg(args, 0)));
    return Value();
}

Value streamClose(CallContext& cx, const Value& self, std::span<const Value>) {
    if (NetStreamObject* s = thisStream(self)) streams(cx).close(*s);
    return Value();
}

Value setBufferTime(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (self.objectOrNull()) cx.set(self, "bufferTime", arg(args, 0));
    return Value();
}

// The whole file is read at once: what receiveAudio and receiveVideo would thin out is all here.
Value accepted(CallContext&, const Value&, std::span<const Value>) { return Value(); }

// Scripts do not make video objects; `new Video()` gives a plain object of the class.
Value videoConstruct(CallContext&, const Value& self, std::span<const Value>) { return self; }

Value attachVideo(CallContext& cx, const Value& self, std::span<const Value> args) {
    VideoObject* v = thisVideo(self);
    VideoDisplay* d = v ? v->display() : nullptr;
    if (!d) return Value();
    NetStreamObject* s = thisStream(arg(args, 0));
    if (!s && arg(args, 0).isObject()) cx.unsupported("Video.attachVideo of a camera");
    d->feed = s ? s->feed : nullptr;
    d->clearedMedia = nullptr;
    if (Clip* owner = v->owner()) owner->movie().noteChange();
    return Value();
}

Value clear(CallContext&, const Value& self, std::span<const Value>) {
    VideoObject* v = thisVideo(self);
    VideoDisplay* d = v ? v->display() : nullptr;
    if (!d) return Value();
    // Blank until the stream shows its next picture.
    const StreamMedia* m = d->feed ? d->feed->media.get() : nullptr;
    d->clearedMedia = m;
    d->clearedAt = m ? m->pictureSerial() : 0;
    if (Clip* owner = v->owner()) owner->movie().noteChange();
    return Value();
}

}  // namespace

void installNetStream(Vm& vm) {
    Object* connection = vm.newObject();
    defineConstructor(vm, "NetConnection", connectionConstruct, connection);
    defineMethods(vm, connection, {{"connect", connect, 1}, {"close", connectionClose}});
    defineValue(vm, connection, "isConnected", Value::boolean(false));

    Object* stream = vm.newObject();
    defineConstructor(vm, "NetStream", streamConstruct, stream, allocateStream, 1);
    defineMethods(vm, stream, {{"play", play, 1},
                               {"pause", pause, 1},
                               {"seek", seek, 1},
                               {"close", streamClose},
                               {"setBufferTime", setBufferTime, 1},
                               {"receiveAudio", accepted, 1},
                               {"receiveVideo", accepted, 1}});

    Object* video = vm.newObject();
    defineConstructor(vm, "Video", videoConstruct, video);
    defineMethods(vm, video, {{"attachVideo", attachVideo, 1}, {"clear", clear}});
    defineValue(vm, video, "deblocking", Value::number(0));
}

}  // namespace velmora::swf::script
