#pragma once

#include <span>

#include "swf/runtime/script/native.h"

namespace velmora::swf::script {

// The installers of the library's classes, one per file of this folder; installLibrary calls them
// in order (Number, Boolean and String first: the engine boxes primitives with their
// constructors).
void installNumber(Vm& vm);
void installBoolean(Vm& vm);
void installString(Vm& vm);
void installMath(Vm& vm);
void installArray(Vm& vm);
void installDate(Vm& vm);
void installError(Vm& vm);
void installGlobalFunctions(Vm& vm);
void installKey(Vm& vm);
void installXml(Vm& vm);
void installLoadVars(Vm& vm);
void installSystem(Vm& vm);
void installLocalServices(Vm& vm);
// Color, flash.geom, flash.filters, the clip's effect properties, Stage, ContextMenu.
void installHostObjects(Vm& vm);
void installMouse(Vm& vm);
void installButton(Vm& vm);
// TextField (with TextFormat, and createTextField on MovieClip.prototype).
void installTextField(Vm& vm);
void installSelection(Vm& vm);
// MovieClip.loadMovie and unloadMovie, MovieClipLoader (movie_loading_builtins.cpp).
void installMovieLoading(Vm& vm);
// NetConnection, NetStream and Video.
void installNetStream(Vm& vm);
void installSound(Vm& vm);

// The object `new Number(1)`, `new String("a")` and `new Boolean(true)` make: it holds its
// primitive, which valueOf gives back.
class BoxedValue final : public Object {
public:
    BoxedValue(Object* proto, const char* className) : Object(proto, ObjectKind::Host), className_(className) {}
    Value primitive;
    const char* className() const override { return className_; }
    void trace(Tracer& tracer) override {
        tracer.mark(primitive);
        Object::trace(tracer);
    }

private:
    const char* const className_;
};

// The primitive a String, Number or Boolean method works on: self itself when it is a primitive of
// that kind, the held value of a BoxedValue of that class, else nothing (undefined).
Value primitiveOf(const Value& self, const char* className);

}  // namespace velmora::swf::script
