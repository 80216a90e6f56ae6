#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::swf::script {

class Object;
class String;

// The kinds of value a script handles. Clips, functions, arrays and host objects are all Object.
enum class Type : uint8_t { Undefined, Null, Boolean, Number, String, Object };

// A script value: 16 bytes, trivially copyable, so that pushing, popping and storing never
// allocate. Strings and objects are pointers to cells of the Heap; a Value does not keep them
// alive by itself: it must sit somewhere the collector looks (a stack or register of running
// code, a property of a reachable object, a Rooted) whenever a collection may run (see heap.h).
class Value {
public:
    Value() : tag_(0), raw_(0) {}
    static Value undefined() { return {}; }
    static Value null() { return Value(Type::Null, 0); }
    static Value boolean(bool b) { return Value(Type::Boolean, b ? 1 : 0); }
    static Value number(double n) {
        Value v(Type::Number, 0);
        v.number_ = n;
        return v;
    }
    // s must not be null.
    static Value string(String* s) {
        Value v(Type::String, 0);
        v.string_ = s;
        return v;
    }
    // o must not be null; a null object is Value::null().
    static Value object(Object* o) {
        Value v(Type::Object, 0);
        v.object_ = o;
        return v;
    }

    Type type() const { return static_cast<Type>(tag_); }
    bool isUndefined() const { return type() == Type::Undefined; }
    bool isNull() const { return type() == Type::Null; }
    // undefined or null: the values that have no properties.
    bool isNullish() const { return type() <= Type::Null; }
    bool isBoolean() const { return type() == Type::Boolean; }
    bool isNumber() const { return type() == Type::Number; }
    bool isString() const { return type() == Type::String; }
    bool isObject() const { return type() == Type::Object; }

    // The payload; only valid for a value of that type.
    bool asBoolean() const { return raw_ != 0; }
    double asNumber() const { return number_; }
    String* asString() const { return string_; }
    Object* asObject() const { return object_; }
    // The object of an object value, nullptr for any other value.
    Object* objectOrNull() const { return type() == Type::Object ? object_ : nullptr; }

private:
    Value(Type type, uint64_t raw) : tag_(static_cast<uint64_t>(type)), raw_(raw) {}

    // Both halves are whole 64-bit words, written whole: a value copied right after it was made
    // is then read back from the store buffer instead of stalling on a partial write.
    uint64_t tag_;
    union {
        uint64_t raw_;
        double number_;
        String* string_;
        Object* object_;
    };
};

// --- Pure conversions: no heap, no script calls. Conversions of objects (which call valueOf and
// toString) are on Vm and CallContext. ---

// A number as the player prints it: integers without a fraction, others with 15 significant
// digits and no trailing zeros, the exponent form outside 1e-5 <= |n| < 1e15 ("1e-7",
// "1.5e+21"), "NaN", "Infinity", "-Infinity"; -0 prints as "0".
std::string numberToString(double value);
// A number in radix 2..36 as Number.prototype.toString(radix) prints it. Radix 10 is
// numberToString; other radixes print the integer part only, with a minus sign when negative.
std::string numberToRadixString(double value, int radix);
// Text to number as the player reads it: leading and trailing white space allowed, decimal with
// optional fraction and exponent, "0x"/"0X" hexadecimal (with an optional sign), "Infinity" is
// NaN; anything else is NaN. The empty text (or only blanks) is NaN from SWF 7 on, 0 before.
double stringToNumber(std::string_view text, int swfVersion);
// ECMAScript's ToInt32 / ToUint32: NaN and infinities are 0, others wrap modulo 2^32.
int32_t toInt32(double value);
uint32_t toUint32(double value);
// ECMAScript's ToInteger: NaN is 0, others truncated toward zero, infinities kept.
double toInteger(double value);

}  // namespace velmora::swf::script
