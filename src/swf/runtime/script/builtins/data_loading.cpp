#include "swf/runtime/script/builtins/data_loading.h"

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

const char* classOf(CallContext& cx) {
    const Value name = cx.callee->data;
    return name.isString() ? name.asString()->text().c_str() : "";
}

Value load(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!self.objectOrNull() || args.empty()) return Value::boolean(false);
    cx.set(self, "loaded", Value::boolean(false));
    self.objectOrNull()->put(cx.vm.key("_bytesLoaded"), cx.vm.name("_bytesLoaded"), Value::number(0), kDontEnum);
    cx.vm.movie().fileLoads().request(FileLoads::Kind::Text, self, cx.toStdString(args[0]));
    return Value::boolean(true);
}

Value send(CallContext& cx, const Value&, std::span<const Value> args) {
    cx.vm.diagnostic(std::string("script: ") + classOf(cx) + ".send to \"" + cx.toStdString(arg(args, 0)).substr(0, 200) +
                     "\" refused: nothing goes to the network");
    return Value::boolean(false);
}

Value sendAndLoad(CallContext& cx, const Value&, std::span<const Value> args) {
    const std::string why = std::string(classOf(cx)) + ".sendAndLoad to \"" + cx.toStdString(arg(args, 0)).substr(0, 200) +
                            "\" refused: nothing goes to the network";
    if (arg(args, 1).objectOrNull()) {
        cx.set(arg(args, 1), "loaded", Value::boolean(false));
        cx.vm.movie().fileLoads().refuse(arg(args, 1), why);
    } else {
        cx.vm.diagnostic("script: " + why);
    }
    return Value::boolean(false);
}

Value bytes(CallContext& cx, const Value& self, const char* name) {
    Object* o = self.objectOrNull();
    const Property* p = o ? cx.vm.ownProperty(o, cx.vm.key(name)) : nullptr;
    return p ? p->value : Value();
}

Value getBytesLoaded(CallContext& cx, const Value& self, std::span<const Value>) { return bytes(cx, self, "_bytesLoaded"); }
Value getBytesTotal(CallContext& cx, const Value& self, std::span<const Value>) { return bytes(cx, self, "_bytesTotal"); }
Value nothing(CallContext&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installDataLoading(Vm& vm, Object* prototype, const char* className) {
    defineMethods(vm, prototype,
                  {{"load", load, 1},
                   {"getBytesLoaded", getBytesLoaded},
                   {"getBytesTotal", getBytesTotal},
                   {"addRequestHeader", nothing, 2},
                   {"onLoad", nothing, 1}});
    defineNative(vm, prototype, "send", send, 3)->data = Value::string(vm.name(className));
    defineNative(vm, prototype, "sendAndLoad", sendAndLoad, 3)->data = Value::string(vm.name(className));
}

}  // namespace velmora::swf::script
