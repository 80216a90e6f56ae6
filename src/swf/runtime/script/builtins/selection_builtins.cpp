// Selection: which clip has the keyboard focus (its onKeyDown and onKeyUp functions hear the keys).
// Text fields, the selection's other half, are not reached from here.
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

namespace {

// The focused clip's target path ("_level0.menu"), or null when none has the focus.
Value getFocus(CallContext& cx, const Value&, std::span<const Value>) {
    Clip* clip = cx.vm.movie().focus();
    return clip ? cx.stringValue(dotPath(*clip)) : Value::null();
}

// setFocus(clip or its path): true when the focus moved there; null or undefined takes the focus
// away. Whatever names no clip leaves the focus where it was.
Value setFocus(CallContext& cx, const Value&, std::span<const Value> args) {
    MovieInstance& movie = cx.vm.movie();
    const Value target = arg(args, 0);
    if (target.isUndefined() || target.isNull()) {
        movie.setFocus(nullptr);
        return Value::boolean(true);
    }
    Clip* clip = nullptr;
    if (auto* object = dynamic_cast<ClipObject*>(target.objectOrNull())) {
        clip = object->clip(cx.vm);
    } else if (!target.isObject()) {
        clip = resolveTarget(movie.root(), cx.toStdString(target));
    }
    if (!clip) return Value::boolean(false);
    movie.setFocus(clip);
    return Value::boolean(true);
}

}  // namespace

void installSelection(Vm& vm) {
    Object* selection = vm.newObject();
    defineValue(vm, vm.global(), "Selection", Value::object(selection));
    defineMethods(vm, selection, {{"getFocus", getFocus, 0}, {"setFocus", setFocus, 1}});
}

}  // namespace velmora::swf::script
