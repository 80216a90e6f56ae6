// Key: the keyboard as the movie hears it, and listeners told of each key.
#include "swf/runtime/lock_keys.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

const KeyboardState& keys(CallContext& cx) { return cx.vm.movie().keyboard(); }

Value isDown(CallContext& cx, const Value&, std::span<const Value> args) {
    const double code = cx.toNumber(arg(args, 0));
    return Value::boolean(code >= 0 && code < 256 && keys(cx).down.test(static_cast<size_t>(code)));
}

Value isToggled(CallContext& cx, const Value&, std::span<const Value> args) {
    const double code = cx.toNumber(arg(args, 0));
    if (code != 20 && code != 144) return Value::boolean(false);
    // The desktop knows the lock keys from before the movie started, and their presses in other
    // windows; the presses the movie heard are all it has otherwise.
    if (bool on = false; desktopLockKey(static_cast<int>(code), on)) return Value::boolean(on);
    return Value::boolean(code == 20 ? keys(cx).capsLock : keys(cx).numLock);
}

Value getCode(CallContext& cx, const Value&, std::span<const Value>) { return Value::number(keys(cx).lastCode); }
Value getAscii(CallContext& cx, const Value&, std::span<const Value>) { return Value::number(keys(cx).lastAscii); }

}  // namespace

void installKey(Vm& vm) {
    Object* key = vm.newObject();
    vm.global()->put(vm.key("Key"), vm.name("Key"), Value::object(key), kDontEnum);
    defineMethods(vm, key,
                  {{"isDown", isDown, 1}, {"isToggled", isToggled, 1}, {"getCode", getCode}, {"getAscii", getAscii}});
    static constexpr std::pair<const char*, int> kCodes[] = {
        {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40}, {"END", 35},
        {"ENTER", 13},    {"ESCAPE", 27},   {"HOME", 36},    {"INSERT", 45},    {"LEFT", 37}, {"PGDN", 34},
        {"PGUP", 33},     {"RIGHT", 39},    {"SHIFT", 16},   {"SPACE", 32},     {"TAB", 9},   {"UP", 38}};
    for (const auto& [name, code] : kCodes) defineValue(vm, key, name, Value::number(code), kDontEnum | kDontDelete | kReadOnly);
    // Listeners as AsBroadcaster gives them; the keyboard's events call broadcastMessage.
    const Value broadcaster = vm.getMember(Value::object(vm.global()), vm.key("AsBroadcaster"));
    const Value initialize = vm.getMember(broadcaster, vm.key("initialize"));
    const Value target = Value::object(key);
    vm.call(initialize, broadcaster, std::span<const Value>(&target, 1));
}

}  // namespace velmora::swf::script
