// Mouse: hide and show the pointer over the movie, and listeners of the pointer's events.
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/builtins/mouse_object.h"

namespace velmora::swf::script {

namespace {

// Both answer whether the pointer was shown before the call: 1 if it was, 0 if not.
Value hide(CallContext& cx, const Value&, std::span<const Value>) {
    MovieInstance& movie = cx.vm.movie();
    const bool wasShown = !movie.pointerHidden();
    movie.setPointerHidden(true);
    return Value::number(wasShown ? 1 : 0);
}

Value show(CallContext& cx, const Value&, std::span<const Value>) {
    MovieInstance& movie = cx.vm.movie();
    const bool wasShown = !movie.pointerHidden();
    movie.setPointerHidden(false);
    return Value::number(wasShown ? 1 : 0);
}

}  // namespace

void installMouse(Vm& vm) {
    Object* mouse = vm.newObject();
    defineValue(vm, vm.global(), "Mouse", Value::object(mouse));
    defineMethods(vm, mouse, {{"hide", hide, 0}, {"show", show, 0}});
    // addListener, removeListener, broadcastMessage and the list, as AsBroadcaster gives them.
    const Value broadcaster = vm.getMember(Value::object(vm.global()), vm.key("AsBroadcaster"));
    const Value initialize = vm.getMember(broadcaster, vm.key("initialize"));
    const Value target = Value::object(mouse);
    vm.call(initialize, broadcaster, std::span<const Value>(&target, 1));
}

void notifyMouseListeners(Vm& vm, std::string_view event, std::span<const Value> args) {
    if (!vm.movie().runsScripts()) return;
    const Value mouse = vm.getMember(Value::object(vm.global()), vm.key("Mouse"));
    Object* list = mouse.isObject() ? vm.getMember(mouse, vm.key("_listeners")).objectOrNull() : nullptr;
    ArrayObject* array = list ? list->asArray() : nullptr;
    if (!array || array->elements().empty()) return;
    // A copy, kept reachable while the listeners run: they may change the list.
    ArrayObject* copy = vm.newArray();
    copy->elements() = array->elements();
    Rooted keep(vm.heap(), Value::object(copy));
    String* key = vm.key(event);
    for (size_t i = 0; i < copy->elements().size(); ++i) {
        const Value listener = copy->elements()[i];
        Value method;
        // The lookup may run a getter; what it throws only costs this listener its call.
        if (!listener.isObject() || !vm.lookupQuietly(listener, key, method)) continue;
        if (method.isObject() && method.asObject()->asFunction()) vm.callTopLevel(method, listener, args);
    }
}

}  // namespace velmora::swf::script
