#include "swf/runtime/script/clip_classes.h"

#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/heap.h"
#include "swf/runtime/script/interpreter.h"
#include "swf/runtime/script/native.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

Object* functionOf(const Value& v) {
    Object* o = v.objectOrNull();
    return o && o->asFunction() ? o : nullptr;
}

// constructor.prototype, when it is an object.
Object* prototypeOf(Vm& vm, const Value& constructor) {
    if (!functionOf(constructor)) return nullptr;
    return vm.getMember(constructor, vm.names().prototype).objectOrNull();
}

// Runs constructor on an existing object as `new` would: `super` inside it reaches the class's
// superclass, which a plain call with the clip as holder would not.
void construct(Vm& vm, const Value& constructor, const Value& self) {
    FunctionObject* fn = constructor.isObject() ? constructor.asObject()->asFunction() : nullptr;
    Object* proto = prototypeOf(vm, constructor);
    if (fn && proto) Interpreter(vm).callFunction(*fn, self, {}, proto, true);
}

// constructClip(constructor), called with the clip as this: the top-level form of construct.
Value constructClip(CallContext& cx, const Value& self, std::span<const Value> args) {
    construct(cx.vm, arg(args, 0), self);
    return Value();
}

// Makes clip an instance of the class.
void adoptClass(Vm& vm, Clip& clip, const Value& constructor, Object* proto) {
    ClipObject* object = vm.clipObject(clip);
    object->setProto(proto);
    object->put(vm.names().superConstructor, vm.names().superConstructor, constructor, kDontEnum);
    object->put(vm.names().constructor, vm.names().constructor, constructor, kDontEnum);
}

}  // namespace

Value registeredClass(Vm& vm, const std::string& linkage) {
    const auto& classes = vm.registeredClasses();
    const auto it = classes.find(linkage);
    return it == classes.end() ? Value() : it->second;
}

Value registeredClassOf(Vm& vm, const Clip& clip) {
    if (clip.isRoot() || vm.registeredClasses().empty()) return Value();
    for (const auto& [name, id] : clip.parent()->definitions().exports) {
        if (id != clip.characterId()) continue;
        const Value found = registeredClass(vm, name);
        if (functionOf(found)) return found;
    }
    return Value();
}

Value initialiseClip(Vm& vm, Clip& clip, const Value& constructor, const Value& init) {
    ClipObject* object = vm.clipObject(clip);
    const Value self = Value::object(object);
    // Scripts run below (setters, valueOf, the constructor) may remove the clip: from here on
    // only its object is used, kept alive here.
    Rooted keep(vm.heap(), self);
    if (Object* proto = prototypeOf(vm, constructor)) {
        object->setProto(proto);
        // Instances answer their class as AS2 objects made by `new` do.
        object->put(vm.names().superConstructor, vm.names().superConstructor, constructor, kDontEnum);
        object->put(vm.names().constructor, vm.names().constructor, constructor, kDontEnum);
    }
    if (init.isObject()) {
        std::vector<Value> names = vm.enumerate(init);
        vm.tempRoots_.push_back(&names);
        for (const Value& name : names) {
            String* key = vm.key(name.asString());
            vm.setMember(self, key, vm.getMember(init, key), name.asString());
        }
        vm.tempRoots_.pop_back();
    }
    construct(vm, constructor, self);
    return self;
}

void adoptRegisteredClass(Clip& clip) {
    MovieInstance& movie = clip.movie();
    if (!movie.runsScripts()) return;
    Vm& vm = movie.vm();
    const Value constructor = registeredClassOf(vm, clip);
    Object* proto = prototypeOf(vm, constructor);
    if (!proto) {
        // The symbol's class code may be waiting to run in the same frame (a component placed on
        // the frame that exports it): the constructor then finds the class when its turn comes.
        if (!clip.isRoot() && clip.parent()->definitions().initActions.contains(clip.characterId()))
            movie.queueConstructor(clip);
        return;
    }
    adoptClass(vm, clip, constructor, proto);
    movie.queueConstructor(clip);
}

void runClipConstructor(Vm& vm, Clip& clip) {
    const Value constructor = registeredClassOf(vm, clip);
    if (!functionOf(constructor)) return;
    // Registered after the clip was placed: it takes the class now.
    if (Object* proto = prototypeOf(vm, constructor); proto && vm.clipObject(clip)->proto() != proto)
        adoptClass(vm, clip, constructor, proto);
    const Value runner = Value::object(makeNative(vm, constructClip, 1));
    vm.callTopLevel(runner, Value::object(vm.clipObject(clip)), std::span<const Value>(&constructor, 1));
}

}  // namespace velmora::swf::script
