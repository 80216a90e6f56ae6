// The global functions of the engine itself: ASSetPropFlags, getVersion, ASnative, trace.
#include <sstream>

#include "swf/runtime/script/builtins/core.h"
#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

namespace {

// ASSetPropFlags(object, names, set, clear): names is null (every property), a list in one text
// separated by commas, or an array of names.
Value asSetPropFlags(CallContext& cx, const Value&, std::span<const Value> args) {
    Object* o = arg(args, 0).objectOrNull();
    if (!o) return Value();
    const int set = cx.toInt32(arg(args, 2)) & 7;
    const int clear = args.size() > 3 ? cx.toInt32(args[3]) & 7 : 0;
    auto apply = [&](Property& p) { p.flags = static_cast<uint8_t>((p.flags & ~clear) | set); };
    const Value names = arg(args, 1);
    if (names.isNull()) {
        for (Property& p : o->properties()) apply(p);
        return Value();
    }
    std::vector<String*> keys;
    if (ArrayObject* a = CallContext::thisArray(names)) {
        for (const Value& v : a->elements()) keys.push_back(cx.vm.key(cx.toString(v)));
    } else {
        std::stringstream list(cx.toStdString(names));
        std::string name;
        while (std::getline(list, name, ',')) keys.push_back(cx.vm.key(name));
    }
    for (String* key : keys) {
        if (Property* p = cx.vm.ownProperty(o, key)) apply(*p);
    }
    return Value();
}

Value getVersion(CallContext& cx, const Value&, std::span<const Value>) {
    return Value::string(cx.heap().intern("LNX 10,0,0,0"));
}

Value asNative(CallContext& cx, const Value&, std::span<const Value>) {
    cx.unsupported("ASnative");
    return Value();
}

Value traceFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    cx.vm.trace(cx.toStdString(arg(args, 0)));
    return Value();
}

}  // namespace

void installGlobalBuiltins(Vm& vm) {
    Object* g = vm.global();
    defineMethods(vm, g,
                  {{"ASSetPropFlags", asSetPropFlags, 4},
                   {"getVersion", getVersion},
                   {"ASnative", asNative, 2},
                   {"trace", traceFunction, 1}});
}

}  // namespace velmora::swf::script
