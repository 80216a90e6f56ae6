// Button: the class of named buttons' script objects. Their properties come from the button on
// stage (see ButtonObject); the prototype holds the settings a script may override per button.
#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

// Scripts do not make buttons; `new Button()` gives a plain object of the class.
Value buttonConstruct(CallContext&, const Value& self, std::span<const Value>) { return self; }

}  // namespace

void installButton(Vm& vm) {
    Object* proto = vm.newObject();
    defineConstructor(vm, "Button", buttonConstruct, proto);
    defineValue(vm, proto, "enabled", Value::boolean(true));
    defineValue(vm, proto, "useHandCursor", Value::boolean(true));
}

}  // namespace velmora::swf::script
