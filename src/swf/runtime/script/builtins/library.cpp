#include "swf/runtime/script/builtins/library.h"

#include <cstring>

#include "swf/runtime/script/builtins/bitmap_data_object.h"
#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

void installLibrary(Vm& vm) {
    installNumber(vm);
    installBoolean(vm);
    installString(vm);
    installMath(vm);
    installArray(vm);
    installDate(vm);
    installError(vm);
    installGlobalFunctions(vm);
    installKey(vm);
    installXml(vm);
    installLoadVars(vm);
    installSystem(vm);
    installLocalServices(vm);
    installHostObjects(vm);
    installDrawing(vm);
    installBitmapData(vm);
    installMouse(vm);
    installButton(vm);
    installTextField(vm);
    installSelection(vm);
    installMovieLoading(vm);
    installNetStream(vm);
    installSound(vm);
}

Value primitiveOf(const Value& self, const char* className) {
    Object* o = self.objectOrNull();
    if (!o) return self;
    if (o->kind() != ObjectKind::Host || std::strcmp(o->className(), className) != 0) return Value();
    auto* boxed = dynamic_cast<BoxedValue*>(o);
    return boxed ? boxed->primitive : Value();
}

}  // namespace velmora::swf::script
