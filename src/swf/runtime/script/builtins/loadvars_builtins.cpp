// LoadVars: name=value pairs read from a file beside the movie, or decoded from a text.
#include "swf/runtime/script/builtins/data_loading.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/url_escape.h"

namespace velmora::swf::script {

namespace {

Value construct(CallContext&, const Value&, std::span<const Value>) { return Value(); }

Value decode(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!self.objectOrNull() || args.empty()) return Value();
    const std::string text = cx.toStdString(args[0]);
    for (const auto& [name, value] : decodeVariables(text, cx.version())) {
        if (!name.empty()) cx.set(self, name, cx.stringValue(value));
    }
    return Value();
}

// name=value&... of every enumerable property, in the order for..in visits them (methods a
// script added included, as the player sends them).
Value toString(CallContext& cx, const Value& self, std::span<const Value>) {
    std::string out;
    for (const Value& name : cx.vm.enumerate(self)) {
        const std::string key = cx.toStdString(name);
        const std::string value = cx.toStdString(cx.vm.getMember(self, cx.vm.key(key)));
        if (!out.empty()) out += '&';
        out += escapeText(key, cx.version()) + "=" + escapeText(value, cx.version());
        if (out.size() > cx.vm.limits().maxStringBytes) throw LimitExceeded{"a LoadVars text longer than the string limit"};
    }
    return cx.stringValue(std::move(out));
}

Value onData(CallContext& cx, const Value& self, std::span<const Value> args) {
    const bool came = !arg(args, 0).isUndefined();
    if (came) decode(cx, self, args);
    cx.set(self, "loaded", Value::boolean(came));
    const Value success = Value::boolean(came);
    cx.call(cx.get(self, "onLoad"), self, std::span<const Value>(&success, 1));
    return Value();
}

}  // namespace

void installLoadVars(Vm& vm) {
    Object* proto = vm.newObject();
    defineConstructor(vm, "LoadVars", construct, proto);
    defineMethods(vm, proto, {{"decode", decode, 1}, {"toString", toString}, {"onData", onData, 1}});
    defineValue(vm, proto, "contentType", Value::string(vm.name("application/x-www-form-urlencoded")));
    installDataLoading(vm, proto, "LoadVars");
}

}  // namespace velmora::swf::script
