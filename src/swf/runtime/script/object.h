#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "swf/runtime/script/cell.h"

namespace velmora::swf::script {

class FunctionObject;
class Vm;

// Property attributes, as ASSetPropFlags sets them (bit values are the ones scripts pass).
enum PropertyFlags : uint8_t {
    kDontEnum = 1,    // hidden from for..in
    kDontDelete = 2,  // delete refuses it
    kReadOnly = 4,    // assignments are ignored
};

// One own property. key is the name as first written (interned), folded its lowercase twin, which
// code of SWF 6 and earlier looks it up by; name is what for..in reports (the key, unless the
// engine gave another). A property made by addProperty has a getter (and maybe a setter) instead
// of a value.
struct Property {
    String* key = nullptr;
    String* name = nullptr;
    Value value;
    FunctionObject* getter = nullptr;
    FunctionObject* setter = nullptr;
    uint8_t flags = 0;
    String* folded = nullptr;
    bool isAccessor() const { return getter != nullptr; }
};

// A watch (Object.prototype.watch) on one property of one object.
struct Watch {
    String* key = nullptr;
    Value callback;
    Value userData;
    bool running = false;  // a watcher's own assignment does not call it again
};

// A script object: own properties in the order they were added, a prototype (__proto__), watches.
//
// This class is storage; the language's rules (prototype chain walk, getters and setters,
// watches, read-only properties, host properties) are applied by Vm::getMember / Vm::setMember,
// which built-ins should use. Keys passed here must come from Vm::key(), so that they are interned
// and carry their lowercase twin. Keys are kept as written: the movies of a lesson share objects,
// and each looks names up by its own version's rule (Vm::ownProperty).
//
// Host objects (clips; text fields and sounds later) derive from Object and answer their special
// properties (_x, _currentframe, ...) through the host hooks, which the Vm asks after the own
// properties and before the prototype chain (reads), and before anything else (writes).
// What an object is, told without a dynamic_cast on the engine's hot paths.
enum class ObjectKind : uint8_t { Plain, Array, Function, Clip, Super, Host };

class Object : public Cell {
public:
    explicit Object(Object* proto, ObjectKind kind = ObjectKind::Plain) : proto_(proto), kind_(kind) {}

    ObjectKind kind() const { return kind_; }

    Object* proto() const { return proto_; }
    void setProto(Object* proto) { proto_ = proto; }

    // The own property with this key exactly, or nullptr. Pointers stay valid until a property
    // is added or removed.
    Property* findOwn(String* key);
    const Property* findOwn(String* key) const;
    // The oldest own property whose key differs from this one at most in the case of ASCII
    // letters, or nullptr.
    Property* findOwnIgnoringCase(String* key);
    // Adds the property at the end of the order, or overwrites the value of the existing one
    // (keeping its flags and place; an accessor becomes a plain value). Ignores ReadOnly: that is
    // the Vm's rule for scripts, not for the engine.
    Property& put(String* key, String* name, Value value, uint8_t flags = 0);
    // Removes the own property; returns false when there is none or it is DontDelete.
    bool remove(String* key);
    // Own properties, oldest first. for..in walks them newest first.
    const std::vector<Property>& properties() const { return props_; }
    std::vector<Property>& properties() { return props_; }
    size_t size() const { return props_.size(); }

    std::vector<Watch>& watches() { return watches_; }

    // --- host hooks ---

    // What typeof answers: "object", "function", "movieclip".
    virtual const char* typeOf() const { return "object"; }
    // The class name in "[object Object]" and in diagnostics.
    virtual const char* className() const { return "Object"; }
    // Special properties answered before the own ones. Return true with out set when key is one.
    virtual bool getSpecial(Vm&, String* /*key*/, Value& /*out*/) { return false; }
    // Return true when key is special and the assignment was handled (or refused) here.
    virtual bool setSpecial(Vm&, String* /*key*/, const Value& /*value*/) { return false; }
    // Names of special properties that for..in lists (a clip's child clips), oldest first.
    virtual void specialNames(Vm&, std::vector<Value>& /*out*/) {}
    // Whether the object stands for nothing any more (a clip reference whose path leads nowhere):
    // it then reads as undefined and has no properties.
    virtual bool isDead() const { return false; }
    // Array objects: the ArrayObject, else nullptr (saves a dynamic_cast per element access).
    virtual class ArrayObject* asArray() { return nullptr; }
    virtual FunctionObject* asFunction() { return nullptr; }

    void trace(Tracer& tracer) override;
    size_t extraBytes() const override;

private:
    void reindex();

    Object* proto_;
    const ObjectKind kind_;
    std::vector<Property> props_;
    // Built once the object has enough properties that a linear scan costs more than a hash. By
    // lowercase twin, to the oldest property that has it; caseTwins_ tells that another property
    // may share that twin (keys that differ only in case, which SWF 7 code can make).
    std::unique_ptr<std::unordered_map<const String*, uint32_t>> index_;
    bool caseTwins_ = false;
    std::vector<Watch> watches_;
};

// An Array: elements are stored densely (holes read as undefined) and answer the keys "0", "1",
// ...; "length" grows and cuts them. Other properties are ordinary.
class ArrayObject final : public Object {
public:
    explicit ArrayObject(Object* proto) : Object(proto, ObjectKind::Array) {}

    std::vector<Value>& elements() { return elements_; }
    const std::vector<Value>& elements() const { return elements_; }
    ArrayObject* asArray() override { return this; }
    const char* className() const override { return "Array"; }
    bool getSpecial(Vm& vm, String* key, Value& out) override;
    bool setSpecial(Vm& vm, String* key, const Value& value) override;
    void specialNames(Vm& vm, std::vector<Value>& out) override;
    void trace(Tracer& tracer) override;
    size_t extraBytes() const override { return elements_.capacity() * sizeof(Value) + Object::extraBytes(); }

private:
    std::vector<Value> elements_;
};

// The index an array key stands for ("0", "17"; not "01", "-1" or "1.5"), or -1.
int64_t arrayIndexOf(const String* key);

}  // namespace velmora::swf::script
