#pragma once

#include "swf/runtime/script/object.h"

namespace velmora::swf::script {

// What `super` reads as inside a method: members come from the prototype above the one the method
// was found on, and are called with the method's own `this`. Called itself, it runs the
// superclass's constructor (the holder's __constructor__) on `this`.
class SuperObject final : public Object {
public:
    SuperObject(Object* holder, Value self) : Object(nullptr, ObjectKind::Super), holder_(holder), self_(self) {}

    // The prototype the method's class inherits from: where super's members are looked up.
    Object* above() const { return holder_ ? holder_->proto() : nullptr; }
    Object* holder() const { return holder_; }
    const Value& self() const { return self_; }

    void trace(Tracer& tracer) override {
        Object::trace(tracer);
        tracer.mark(holder_);
        tracer.mark(self_);
    }

private:
    Object* const holder_;
    const Value self_;
};

}  // namespace velmora::swf::script
