// Conversions and comparisons that may ask an object (valueOf, toString), and typeof.
#include <cmath>

#include "swf/runtime/clip.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/script/vm.h"
#include "swf/runtime/target_path.h"

namespace velmora::swf::script {

Value Vm::toPrimitive(const Value& v, Hint hint) {
    Object* o = v.objectOrNull();
    if (!o) return v;
    if (auto* clip = dynamic_cast<ClipObject*>(o)) {
        // A clip reads as its path; a reference that leads nowhere as undefined.
        Clip* c = clip->clip(*this);
        return c ? Value::string(heap_.string(dotPath(*c))) : Value();
    }
    if (auto* text = dynamic_cast<TextFieldObject*>(o); text && text->owner()) {
        // A field on stage reads as its path too ("_level0.answer"), which is what scripts print
        // when they trace the focus or a listener's arguments.
        return Value::string(heap_.string(dotPath(*text->owner()) + "." + text->field()->name));
    }
    if (hint == Hint::None) hint = std::string_view(o->className()) == "Date" ? Hint::String : Hint::Number;
    String* order[2] = {names_.valueOf, names_.toString};
    if (hint == Hint::String) std::swap(order[0], order[1]);
    for (String* method : order) {
        Value fn;
        if (!lookup(v, method, fn)) continue;
        if (!fn.isObject() || !fn.asObject()->asFunction()) continue;
        const Value result = call(fn, v, {});
        if (!result.isObject()) return result;
    }
    // Nothing primitive came back: the player prints the kind.
    return Value::string(heap_.intern(o->asFunction() ? "[type Function]" : "[type Object]"));
}

double Vm::toNumber(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
    case Type::Null: return version() >= 7 ? std::nan("") : 0.0;
    case Type::Boolean: return v.asBoolean() ? 1.0 : 0.0;
    case Type::Number: return v.asNumber();
    case Type::String: return stringToNumber(v.asString()->view(), version());
    case Type::Object: {
        if (dynamic_cast<ClipObject*>(v.asObject())) return std::nan("");
        const Value p = toPrimitive(v, Hint::Number);
        return p.isObject() ? std::nan("") : toNumber(p);
    }
    }
    return 0.0;
}

String* Vm::toString(const Value& v) {
    switch (v.type()) {
    case Type::Undefined: return heap_.intern(version() >= 7 ? "undefined" : "");
    case Type::Null: return heap_.intern("null");
    case Type::Boolean: return heap_.intern(v.asBoolean() ? "true" : "false");
    case Type::Number: {
        const double n = v.asNumber();
        // Small integers are common names (array indices, counters): interned, they cost nothing.
        if (n >= 0 && n < 1024 && n == std::floor(n)) return heap_.intern(numberToString(n));
        return heap_.string(numberToString(n));
    }
    case Type::String: return v.asString();
    case Type::Object: {
        const Value p = toPrimitive(v, Hint::String);
        return p.isObject() ? heap_.intern("[type Object]") : toString(p);
    }
    }
    return names_.empty;
}

bool Vm::toBoolean(const Value& v) const {
    switch (v.type()) {
    case Type::Undefined:
    case Type::Null: return false;
    case Type::Boolean: return v.asBoolean();
    case Type::Number: return v.asNumber() != 0.0 && !std::isnan(v.asNumber());
    case Type::String: {
        // SWF 7 made any non-empty text true; earlier players went through the number.
        if (version() >= 7) return !v.asString()->empty();
        const double n = stringToNumber(v.asString()->view(), version());
        return n != 0.0 && !std::isnan(n);
    }
    case Type::Object: {
        auto* clip = dynamic_cast<ClipObject*>(v.asObject());
        return !clip || !clip->isDead() || clip->ownClip();
    }
    }
    return false;
}

Object* Vm::toObject(const Value& v) {
    switch (v.type()) {
    case Type::Undefined:
    case Type::Null: return nullptr;
    case Type::Object: return v.asObject();
    default: break;
    }
    FunctionObject* ctor = v.isString()   ? realm_.stringConstructor
                           : v.isNumber() ? realm_.numberConstructor
                                          : realm_.booleanConstructor;
    if (ctor) {
        const Value boxed = construct(Value::object(ctor), std::span<const Value>(&v, 1));
        if (boxed.isObject()) return boxed.asObject();
    }
    Object* proto = v.isString() ? realm_.stringPrototype : v.isNumber() ? realm_.numberPrototype : realm_.booleanPrototype;
    return newObject(proto);
}

const char* Vm::typeOf(const Value& v) const {
    switch (v.type()) {
    case Type::Undefined: return "undefined";
    case Type::Null: return "null";
    case Type::Boolean: return "boolean";
    case Type::Number: return "number";
    case Type::String: return "string";
    case Type::Object: return v.asObject()->typeOf();
    }
    return "undefined";
}

bool Vm::strictEquals(const Value& a, const Value& b) {
    if (a.type() != b.type()) return false;
    switch (a.type()) {
    case Type::Undefined:
    case Type::Null: return true;
    case Type::Boolean: return a.asBoolean() == b.asBoolean();
    case Type::Number: return a.asNumber() == b.asNumber();
    case Type::String: return a.asString() == b.asString() || a.asString()->view() == b.asString()->view();
    case Type::Object: {
        if (a.asObject() == b.asObject()) return true;
        // Two references to the same clip are the same clip.
        auto* ca = dynamic_cast<ClipObject*>(a.asObject());
        auto* cb = dynamic_cast<ClipObject*>(b.asObject());
        return ca && cb && ca->path() == cb->path() && !ca->isDead() && !cb->isDead();
    }
    }
    return false;
}

bool Vm::looseEquals(const Value& a, const Value& b) {
    if (a.type() == b.type()) return strictEquals(a, b);
    if (a.isNullish() || b.isNullish()) return a.isNullish() && b.isNullish();
    if (a.isNumber() && b.isString()) return a.asNumber() == toNumber(b);
    if (a.isString() && b.isNumber()) return toNumber(a) == b.asNumber();
    if (a.isBoolean()) return looseEquals(Value::number(a.asBoolean() ? 1 : 0), b);
    if (b.isBoolean()) return looseEquals(a, Value::number(b.asBoolean() ? 1 : 0));
    if (a.isObject() && !b.isObject()) {
        const Value p = toPrimitive(a);
        return !p.isObject() && looseEquals(p, b);
    }
    if (b.isObject() && !a.isObject()) {
        const Value p = toPrimitive(b);
        return !p.isObject() && looseEquals(a, p);
    }
    return false;
}

Value Vm::lessThan(const Value& a, const Value& b, bool leftFirst) {
    Value pa, pb;
    if (leftFirst) {
        pa = toPrimitive(a, Hint::Number);
        pb = toPrimitive(b, Hint::Number);
    } else {
        pb = toPrimitive(b, Hint::Number);
        pa = toPrimitive(a, Hint::Number);
    }
    if (pa.isString() && pb.isString()) return Value::boolean(pa.asString()->view() < pb.asString()->view());
    const double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y)) return Value();
    return Value::boolean(x < y);
}

}  // namespace velmora::swf::script
