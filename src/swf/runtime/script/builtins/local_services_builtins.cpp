// The services a browser plug-in offered that a desktop lesson player keeps to itself:
// SharedObject (kept in memory for the run, nothing written), LocalConnection (nothing is shared
// between movies), PrintJob (no printing), ExternalInterface (no page to call).
#include <unordered_set>

#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

Value nothing(CallContext&, const Value&, std::span<const Value>) { return Value(); }
Value yes(CallContext&, const Value&, std::span<const Value>) { return Value::boolean(true); }
Value no(CallContext&, const Value&, std::span<const Value>) { return Value::boolean(false); }
Value null(CallContext&, const Value&, std::span<const Value>) { return Value::null(); }

// Names the player refuses for shared objects: these characters never name one.
bool validSharedName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name) {
        if (std::string_view("~%&\\;:\"',<>?# ").find(c) != std::string_view::npos) return false;
    }
    return true;
}

// SharedObject.getLocal(name[, localPath]): the same object for the same name for the whole run;
// its data starts empty each run, since nothing is written.
Value getLocal(CallContext& cx, const Value&, std::span<const Value> args) {
    const std::string name = cx.toStdString(arg(args, 0));
    if (!validSharedName(name)) return Value::null();
    Object* store = cx.callee->data.objectOrNull();
    if (!store) return Value::null();
    const std::string id = name + "\n" + (arg(args, 1).isUndefined() ? std::string() : cx.toStdString(arg(args, 1)));
    String* key = cx.vm.heap().intern(id);
    if (const Property* p = store->findOwn(key)) return p->value;
    Object* shared = cx.vm.newObject(store->proto());
    Rooted keep(cx.heap(), Value::object(shared));
    shared->put(cx.vm.key("data"), cx.vm.name("data"), Value::object(cx.newObject()), kDontDelete);
    store->put(key, key, Value::object(shared), kDontEnum);
    return Value::object(shared);
}

Value clearData(CallContext& cx, const Value& self, std::span<const Value>) {
    if (Object* o = self.objectOrNull()) o->put(cx.vm.key("data"), cx.vm.name("data"), Value::object(cx.newObject()), kDontDelete);
    return Value();
}

// The bytes a value of the data takes as the player would store it: a type mark, then numbers
// in eight bytes, text with a two-byte length, objects as their named members and an end mark.
// Functions are never stored. Objects met twice (or nested past any sensible depth) count once.
size_t storedSize(CallContext& cx, const Value& value, std::unordered_set<const Object*>& seen, int depth) {
    if (value.isNumber()) return 9;
    if (value.isString()) return 3 + value.asString()->size();
    Object* o = value.objectOrNull();
    if (!o) return value.isBoolean() ? 2 : 1;
    if (o->asFunction() || depth > 32 || !seen.insert(o).second) return 1;
    size_t size = 1 + 3;  // the mark and the end of the members
    for (const Value& name : cx.vm.enumerate(value)) {
        const std::string key = cx.toStdString(name);
        const Value member = cx.vm.getMember(value, cx.vm.key(key));
        if (member.objectOrNull() && member.objectOrNull()->asFunction()) continue;
        size += 2 + key.size() + storedSize(cx, member, seen, depth + 1);
    }
    return size;
}

// getSize(): 0 while the data holds nothing, so that a movie can tell a first run from a later
// one; otherwise what the data would take when stored.
Value getSize(CallContext& cx, const Value& self, std::span<const Value>) {
    const Value data = cx.get(self, "data");
    if (!data.objectOrNull() || cx.vm.enumerate(data).empty()) return Value::number(0);
    std::unordered_set<const Object*> seen;
    return Value::number(static_cast<double>(storedSize(cx, data, seen, 0)));
}

Value localhost(CallContext& cx, const Value&, std::span<const Value>) { return cx.stringValue("localhost"); }

Value construct(CallContext&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installLocalServices(Vm& vm) {
    // SharedObject
    Object* sharedProto = vm.newObject();
    FunctionObject* shared = defineConstructor(vm, "SharedObject", construct, sharedProto);
    FunctionObject* local = defineNative(vm, shared, "getLocal", getLocal, 2);
    // The objects made so far, by name; the store's prototype is theirs.
    local->data = Value::object(vm.newObject(sharedProto));
    defineNative(vm, shared, "getRemote", null, 4);
    defineMethods(vm, sharedProto,
                  {{"flush", yes, 1}, {"clear", clearData}, {"getSize", getSize}, {"close", nothing},
                   {"connect", no, 1}, {"setFps", no, 1}, {"send", nothing, 1}});

    // LocalConnection: connect fails, so no two movies ever talk.
    Object* connectionProto = vm.newObject();
    defineConstructor(vm, "LocalConnection", construct, connectionProto);
    defineMethods(vm, connectionProto, {{"connect", no, 1}, {"send", no, 2}, {"close", nothing}});
    defineNative(vm, connectionProto, "domain", localhost);

    // PrintJob: start answers false, so a movie never waits on a printer.
    Object* printProto = vm.newObject();
    defineConstructor(vm, "PrintJob", construct, printProto);
    defineMethods(vm, printProto, {{"start", no}, {"addPage", no, 4}, {"send", nothing}});

    // flash.external.ExternalInterface: no page around the movie.
    auto package = [&vm](Object* parent, const char* name) {
        const Property* p = parent->findOwn(vm.key(name));
        if (p && p->value.objectOrNull()) return p->value.objectOrNull();
        Object* o = vm.newObject();
        parent->put(vm.key(name), vm.name(name), Value::object(o), kDontEnum);
        return o;
    };
    Object* external = package(package(vm.global(), "flash"), "external");
    Object* externalProto = vm.newObject();
    FunctionObject* ei = makeNative(vm, construct);
    ei->put(vm.key("prototype"), vm.name("prototype"), Value::object(externalProto), kDontEnum);
    external->put(vm.key("ExternalInterface"), vm.name("ExternalInterface"), Value::object(ei), kDontEnum);
    defineValue(vm, ei, "available", Value::boolean(false), kDontEnum | kDontDelete | kReadOnly);
    defineMethods(vm, ei, {{"call", null, 1}, {"addCallback", no, 3}});
}

}  // namespace velmora::swf::script
