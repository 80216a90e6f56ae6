// Reading and writing members with the language's rules: the prototype chain, getters and
// setters, watches, read-only properties, host properties; delete, for..in, instanceof, extends.
#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/super_object.h"
#include "swf/runtime/script/text_units.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

// Prototype chains a script links into a ring end here.
constexpr int kMaxChain = 256;

}  // namespace

bool Vm::lookupWithHolder(const Value& object, String* key, Value& out, Object*& holder, const Value& self) {
    Object* o = nullptr;
    switch (object.type()) {
    case Type::Undefined:
    case Type::Null: return false;
    case Type::String:
        if (sameKey(key, names_.length)) {
            out = Value::number(static_cast<double>(characterCount(object.asString()->view())));
            return true;
        }
        o = realm_.stringPrototype;
        break;
    case Type::Number: o = realm_.numberPrototype; break;
    case Type::Boolean: o = realm_.booleanPrototype; break;
    case Type::Object: o = object.asObject(); break;
    }
    if (o->kind() == ObjectKind::Clip) {
        o = static_cast<ClipObject*>(o)->current(*this);
        if (!o) return false;
    } else if (o->kind() == ObjectKind::Super) {
        auto* s = static_cast<SuperObject*>(o);
        return s->above() && lookupWithHolder(Value::object(s->above()), key, out, holder, s->self());
    }
    if (sameKey(key, names_.proto)) {
        holder = o;
        out = o->proto() ? Value::object(o->proto()) : Value();
        return o->proto() != nullptr;
    }
    int depth = 0;
    for (Object* p = o; p && depth < kMaxChain; p = p->proto(), ++depth) {
        if (const Property* prop = ownProperty(p, key)) {
            holder = p;
            if (prop->isAccessor()) {
                out = call(Value::object(prop->getter), self, {});
            } else {
                out = prop->value;
            }
            return true;
        }
        if (p->kind() != ObjectKind::Plain && p->kind() != ObjectKind::Function && p->getSpecial(*this, key, out)) {
            holder = p;
            return true;
        }
    }
    return false;
}

bool Vm::lookup(const Value& object, String* key, Value& out) {
    Object* holder = nullptr;
    return lookupWithHolder(object, key, out, holder, object);
}

bool Vm::lookupQuietly(const Value& object, String* key, Value& out) {
    try {
        return lookup(object, key, out);
    } catch (const ScriptException&) {
        return false;
    } catch (const LimitExceeded&) {
        return false;
    }
}

Value Vm::getMember(const Value& object, String* key) {
    Value out;
    if (!lookup(object, key, out)) return Value();
    return out;
}

bool Vm::hasProperty(Object* object, String* key) {
    Value ignored;
    int depth = 0;
    for (Object* p = object; p && depth < kMaxChain; p = p->proto(), ++depth) {
        if (ownProperty(p, key)) return true;
        if (p->kind() != ObjectKind::Plain && p->kind() != ObjectKind::Function && p->getSpecial(*this, key, ignored)) {
            return true;
        }
    }
    return false;
}

void Vm::setMember(const Value& object, String* key, const Value& value, String* name) {
    Object* o = object.objectOrNull();
    if (!o) return;  // members of primitives are not kept
    if (o->kind() == ObjectKind::Clip) {
        o = static_cast<ClipObject*>(o)->current(*this);
        if (!o) return;
    } else if (o->kind() == ObjectKind::Super) {
        return;
    }
    if (sameKey(key, names_.proto)) {
        Object* proto = value.objectOrNull();
        // A chain must not come back to its start.
        for (Object* p = proto; p; p = p->proto()) {
            if (p == o) return;
        }
        o->setProto(proto);
        return;
    }
    if (o->kind() != ObjectKind::Plain && o->kind() != ObjectKind::Function && o->setSpecial(*this, key, value)) return;
    Value stored = value;
    Property* own = ownProperty(o, key);
    if (own) {
        if (own->flags & kReadOnly) return;
        if (own->isAccessor()) {
            if (own->setter) {
                const Value arg = value;
                call(Value::object(own->setter), Value::object(o), std::span<const Value>(&arg, 1));
            }
            return;
        }
    } else {
        int depth = 0;
        for (Object* p = o->proto(); p && depth < kMaxChain; p = p->proto(), ++depth) {
            const Property* inherited = ownProperty(p, key);
            if (!inherited) continue;
            if (inherited->isAccessor()) {
                if (inherited->setter) {
                    const Value arg = value;
                    call(Value::object(inherited->setter), Value::object(o), std::span<const Value>(&arg, 1));
                }
                return;
            }
            break;
        }
    }
    if (!o->watches().empty()) {
        for (size_t i = 0; i < o->watches().size(); ++i) {
            Watch& w = o->watches()[i];
            if (!sameKey(w.key, key) || w.running) continue;
            w.running = true;
            const Value old = own ? own->value : Value();
            const Value args[4] = {Value::string(name ? name : key), old, stored, w.userData};
            const Value callback = w.callback;
            try {
                stored = call(callback, Value::object(o), args);
            } catch (...) {
                if (i < o->watches().size()) o->watches()[i].running = false;
                throw;
            }
            if (i < o->watches().size()) o->watches()[i].running = false;
            own = ownProperty(o, key);
        }
    }
    if (own) {
        own->value = stored;
        return;
    }
    o->put(key, name ? heap_.intern(name) : key, stored);
    if (o->properties().size() % 64 == 0) heap_.account(o);
}

bool Vm::deleteMember(const Value& object, String* key) {
    Object* o = object.objectOrNull();
    if (!o) return false;
    if (o->kind() == ObjectKind::Clip) {
        o = static_cast<ClipObject*>(o)->current(*this);
        if (!o) return false;
    }
    if (ArrayObject* a = o->asArray()) {
        const int64_t i = arrayIndexOf(key);
        if (i >= 0 && static_cast<size_t>(i) < a->elements().size()) {
            a->elements()[static_cast<size_t>(i)] = Value();
            return true;
        }
    }
    // The code running may name the property in another case (see ownProperty).
    if (const Property* own = ownProperty(o, key)) key = own->key;
    return o->remove(key);
}

std::vector<Value> Vm::enumerate(const Value& object) {
    std::vector<Value> names;
    Object* o = object.objectOrNull();
    if (o && o->kind() == ObjectKind::Clip) o = static_cast<ClipObject*>(o)->current(*this);
    if (!o) return names;
    // A name shadowed lower down the chain is visited once: by the running code's rule of case.
    std::unordered_set<const String*> seen;
    const bool fold = !caseSensitive();
    auto once = [&](String* k) { return seen.insert(fold && k->foldedTwin() ? k->foldedTwin() : k).second; };
    int depth = 0;
    for (Object* p = o; p && depth < kMaxChain; p = p->proto(), ++depth) {
        const auto& props = p->properties();
        for (auto it = props.rbegin(); it != props.rend(); ++it) {
            if (!once(it->key) || (it->flags & kDontEnum)) continue;
            names.push_back(Value::string(it->name));
        }
        std::vector<Value> special;
        p->specialNames(*this, special);
        for (auto it = special.rbegin(); it != special.rend(); ++it) {
            if (once(key(it->asString()))) names.push_back(*it);
        }
    }
    return names;
}

bool Vm::instanceOf(const Value& object, const Value& constructor) {
    Object* o = object.objectOrNull();
    Object* ctor = constructor.objectOrNull();
    if (!o || !ctor) return false;
    const Value protoValue = getMember(constructor, names_.prototype);
    Object* proto = protoValue.objectOrNull();
    if (!proto) return false;
    // Interfaces a class implements count as its ancestors too, and so do theirs.
    std::vector<Object*> pending{o->proto()};
    std::unordered_set<Object*> visited;
    while (!pending.empty()) {
        Object* start = pending.back();
        pending.pop_back();
        int depth = 0;
        for (Object* p = start; p && depth < kMaxChain; p = p->proto(), ++depth) {
            if (p == proto) return true;
            if (!visited.insert(p).second) break;
            for (const auto& [owner, list] : interfaces_) {
                if (owner != p) continue;
                for (Object* i : list) pending.push_back(i);
            }
        }
    }
    return false;
}

void Vm::extend(const Value& subclass, const Value& superclass) {
    if (!subclass.isObject() || !superclass.isObject()) return;
    const Value superProto = getMember(superclass, names_.prototype);
    Object* proto = newObject(superProto.objectOrNull());
    proto->put(names_.superConstructor, names_.superConstructor, superclass, kDontEnum);
    proto->put(names_.constructor, names_.constructor, superclass, kDontEnum);
    Property& p = subclass.asObject()->put(names_.prototype, names_.prototype, Value::object(proto));
    p.flags |= kDontEnum;
}

void Vm::setInterfaces(const Value& constructor, std::span<const Value> interfaces) {
    Object* proto = getMember(constructor, names_.prototype).objectOrNull();
    if (!proto) return;
    std::vector<Object*> list;
    for (const Value& i : interfaces) {
        if (Object* ip = getMember(i, names_.prototype).objectOrNull()) list.push_back(ip);
    }
    for (auto& [owner, existing] : interfaces_) {
        if (owner == proto) {
            existing = std::move(list);
            return;
        }
    }
    interfaces_.emplace_back(proto, std::move(list));
}

Value Vm::superOf(const Value& self, Object* holder) {
    if (!holder) return Value();
    return Value::object(heap_.make<SuperObject>(holder, self));
}

}  // namespace velmora::swf::script
