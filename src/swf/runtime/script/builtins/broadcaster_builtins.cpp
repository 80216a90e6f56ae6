// AsBroadcaster: objects that keep a list of listeners and send them messages.
#include "swf/runtime/script/builtins/core.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

ArrayObject* listeners(CallContext& cx, const Value& self) {
    return CallContext::thisArray(cx.get(self, "_listeners"));
}

Value addListener(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* list = listeners(cx, self);
    if (!list) return Value::boolean(false);
    const Value listener = arg(args, 0);
    // A listener added twice is still told once.
    for (const Value& v : list->elements()) {
        if (Vm::strictEquals(v, listener)) return Value::boolean(true);
    }
    list->elements().push_back(listener);
    cx.heap().account(list);
    return Value::boolean(true);
}

Value removeListener(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* list = listeners(cx, self);
    if (!list) return Value::boolean(false);
    auto& e = list->elements();
    for (size_t i = 0; i < e.size(); ++i) {
        if (Vm::strictEquals(e[i], arg(args, 0))) {
            e.erase(e.begin() + static_cast<std::ptrdiff_t>(i));
            return Value::boolean(true);
        }
    }
    return Value::boolean(false);
}

Value broadcastMessage(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* list = listeners(cx, self);
    if (!list || args.empty()) return Value();
    String* event = cx.vm.key(cx.toString(args[0]));
    // A copy: listeners may remove themselves while being told.
    std::vector<Value> targets = list->elements();
    ArrayObject* keep = cx.newArray();
    keep->elements() = targets;
    Rooted root(cx.heap(), Value::object(keep));
    for (const Value& target : targets) cx.vm.callMethod(target, event, args.subspan(1));
    return Value::boolean(!targets.empty());
}

Value initialize(CallContext& cx, const Value&, std::span<const Value> args) {
    Object* o = arg(args, 0).objectOrNull();
    if (!o) return Value();
    Vm& vm = cx.vm;
    Object* broadcaster = cx.callee->data.objectOrNull();
    for (const char* name : {"addListener", "removeListener", "broadcastMessage"}) {
        const Value method = broadcaster ? vm.getMember(Value::object(broadcaster), vm.key(name)) : Value();
        o->put(vm.key(name), vm.name(name), method, kDontEnum);
    }
    o->put(vm.key("_listeners"), vm.name("_listeners"), Value::object(cx.newArray()), kDontEnum);
    return Value();
}

Value broadcasterConstruct(CallContext&, const Value& self, std::span<const Value>) { return self; }

}  // namespace

void installBroadcaster(Vm& vm) {
    Object* proto = vm.newObject();
    FunctionObject* ctor = defineConstructor(vm, "AsBroadcaster", broadcasterConstruct, proto);
    defineMethods(vm, ctor,
                  {{"addListener", addListener, 1},
                   {"removeListener", removeListener, 1},
                   {"broadcastMessage", broadcastMessage, 1}});
    FunctionObject* init = defineNative(vm, ctor, "initialize", initialize, 1);
    init->data = Value::object(ctor);
}

}  // namespace velmora::swf::script
