#include "swf/runtime/script/object.h"

#include <cmath>

#include "swf/runtime/script/function.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

// Below this many properties a linear scan beats hashing.
constexpr size_t kIndexFrom = 12;

// The lowercase twin a key is looked up by before SWF 7 (itself for a key that has none).
String* foldedKey(String* key) {
    String* f = key->foldedTwin();
    return f ? f : key;
}

}  // namespace

Property* Object::findOwn(String* key) {
    if (index_) {
        const auto it = index_->find(foldedKey(key));
        if (it == index_->end()) return nullptr;
        if (props_[it->second].key == key) return &props_[it->second];
        if (!caseTwins_) return nullptr;
    }
    for (Property& p : props_) {
        if (p.key == key) return &p;
    }
    return nullptr;
}

Property* Object::findOwnIgnoringCase(String* key) {
    String* folded = foldedKey(key);
    if (index_) {
        const auto it = index_->find(folded);
        return it == index_->end() ? nullptr : &props_[it->second];
    }
    for (Property& p : props_) {
        if (p.folded == folded) return &p;
    }
    return nullptr;
}

const Property* Object::findOwn(String* key) const { return const_cast<Object*>(this)->findOwn(key); }

Property& Object::put(String* key, String* name, Value value, uint8_t flags) {
    if (Property* p = findOwn(key)) {
        p->value = value;
        p->getter = nullptr;
        p->setter = nullptr;
        return *p;
    }
    props_.push_back(Property{key, name, value, nullptr, nullptr, flags, foldedKey(key)});
    if (index_) {
        if (!index_->emplace(props_.back().folded, static_cast<uint32_t>(props_.size() - 1)).second) caseTwins_ = true;
    } else if (props_.size() >= kIndexFrom) {
        reindex();
    }
    return props_.back();
}

bool Object::remove(String* key) {
    for (size_t i = 0; i < props_.size(); ++i) {
        if (props_[i].key != key) continue;
        if (props_[i].flags & kDontDelete) return false;
        props_.erase(props_.begin() + static_cast<std::ptrdiff_t>(i));
        if (index_) reindex();
        return true;
    }
    return false;
}

void Object::reindex() {
    if (props_.size() < kIndexFrom) {
        index_.reset();
        return;
    }
    if (!index_) index_ = std::make_unique<std::unordered_map<const String*, uint32_t>>();
    index_->clear();
    for (size_t i = 0; i < props_.size(); ++i) {
        if (!index_->emplace(props_[i].folded, static_cast<uint32_t>(i)).second) caseTwins_ = true;
    }
}

void Object::trace(Tracer& tracer) {
    tracer.mark(proto_);
    for (const Property& p : props_) {
        tracer.mark(p.key);
        tracer.mark(p.name);
        tracer.mark(p.folded);
        tracer.mark(p.value);
        tracer.mark(p.getter);
        tracer.mark(p.setter);
    }
    for (const Watch& w : watches_) {
        tracer.mark(w.key);
        tracer.mark(w.callback);
        tracer.mark(w.userData);
    }
}

size_t Object::extraBytes() const {
    return props_.capacity() * sizeof(Property) + (index_ ? index_->size() * 32 : 0) + watches_.capacity() * sizeof(Watch);
}

int64_t arrayIndexOf(const String* key) {
    const std::string& t = key->text();
    if (t.empty() || t.size() > 10) return -1;
    if (t.size() > 1 && t[0] == '0') return -1;
    int64_t n = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n < 4294967295LL ? n : -1;
}

bool ArrayObject::getSpecial(Vm& vm, String* key, Value& out) {
    if (vm.sameKey(key, vm.key("length"))) {
        out = Value::number(static_cast<double>(elements_.size()));
        return true;
    }
    const int64_t i = arrayIndexOf(key);
    if (i < 0 || static_cast<size_t>(i) >= elements_.size()) return false;
    out = elements_[static_cast<size_t>(i)];
    return true;
}

bool ArrayObject::setSpecial(Vm& vm, String* key, const Value& value) {
    if (vm.sameKey(key, vm.key("length"))) {
        const double n = vm.toNumber(value);
        if (!(n >= 0) || n != std::floor(n)) return true;  // refused, as the player ignores it
        if (n > static_cast<double>(vm.limits().maxArrayLength)) {
            throw LimitExceeded{"an array grew past " + std::to_string(vm.limits().maxArrayLength) + " elements"};
        }
        elements_.resize(static_cast<size_t>(n));
        vm.heap().account(this);
        return true;
    }
    const int64_t i = arrayIndexOf(key);
    if (i < 0) return false;
    if (static_cast<size_t>(i) >= elements_.size()) {
        if (static_cast<size_t>(i) >= vm.limits().maxArrayLength) {
            throw LimitExceeded{"an array grew past " + std::to_string(vm.limits().maxArrayLength) + " elements"};
        }
        elements_.resize(static_cast<size_t>(i) + 1);
    }
    elements_[static_cast<size_t>(i)] = value;
    vm.heap().account(this);
    return true;
}

void ArrayObject::specialNames(Vm& vm, std::vector<Value>& out) {
    for (size_t i = 0; i < elements_.size(); ++i) out.push_back(Value::string(vm.name(std::to_string(i))));
}

void ArrayObject::trace(Tracer& tracer) {
    Object::trace(tracer);
    for (const Value& v : elements_) tracer.mark(v);
}

void Scope::trace(Tracer& tracer) {
    tracer.mark(parent_);
    tracer.mark(object_);
}

void FunctionObject::trace(Tracer& tracer) {
    Object::trace(tracer);
    tracer.mark(scope_);
    tracer.mark(home_);
    tracer.mark(data);
    if (code_) {
        tracer.mark(code_->name);
        for (String* p : code_->params) tracer.mark(p);
    }
    if (pool_) {
        for (String* s : pool_->strings) tracer.mark(s);
    }
}

}  // namespace velmora::swf::script
