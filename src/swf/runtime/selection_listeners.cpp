#include "swf/runtime/selection_listeners.h"

#include <array>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

script::Value focusedObject(MovieInstance& movie) {
    if (!movie.runsScripts()) return script::Value::null();
    script::Vm& vm = movie.vm();
    if (DisplayObject* field = movie.focusedText()) {
        if (Clip* owner = clipHoldingField(movie.root(), *field)) return script::Value::object(vm.textFieldObject(*owner, *field));
    }
    if (Clip* clip = movie.focus()) return script::Value::object(vm.clipObject(*clip));
    if (DisplayObject* button = movie.focusedButton()) {
        return script::Value::object(vm.buttonObject(*movie.focusedButtonOwner(), *button));
    }
    return script::Value::null();
}

void tellSelectionListeners(MovieInstance& movie, const script::Value& before) {
    if (!movie.runsScripts()) return;
    const script::Value now = focusedObject(movie);
    if (now.objectOrNull() == before.objectOrNull()) return;
    script::Vm& vm = movie.vm();
    script::Rooted keep(vm.heap(), now);
    // Only what a script left in place is called: a Selection object with its broadcaster.
    const script::Property* selection = vm.ownProperty(vm.global(), vm.key("Selection"));
    if (!selection || selection->isAccessor() || !selection->value.objectOrNull()) return;
    const script::Property* method = vm.ownProperty(selection->value.objectOrNull(), vm.key("broadcastMessage"));
    if (!method || method->isAccessor()) return;
    const std::array<script::Value, 3> args{script::Value::string(vm.name("onSetFocus")), before, now};
    vm.callTopLevel(method->value, selection->value, args);
}

}  // namespace velmora::swf
