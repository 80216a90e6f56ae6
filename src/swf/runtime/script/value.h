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
    Value() : type_(Type::Undefined), number_(0.0) {}
    static Value undefined() { return {}; }
    static Value null() { Value v; v.type_ = Type::Null; return v; }
    static Value boolean(bool b) { Value v; v.type_ = Type::Boolean; v.boolean_ = b; return v; }
    static Value number(double n) { Value v; v.type_ = Type::Number; v.number_ = n; return v; }
    // s must not be null.
    static Value string(String* s) { Value v; v.type_ = Type::String; v.string_ = s; return v; }
    // o must not be null; a null object is Value::null().
    static Value object(Object* o) { Value v; v.type_ = Type::Object; v.object_ = o; return v; }

    Type type() const { return type_; }
    bool isUndefined() const { return type_ == Type::Undefined; }
    bool isNull() const { return type_ == Type::Null; }
    // undefined or null: the values that have no properties.
    bool isNullish() const { return type_ <= Type::Null; }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isObject() const { return type_ == Type::Object; }

    // The payload; only valid for a value of that type.
    bool asBoolean() const { return boolean_; }
    double asNumber() const { return number_; }
    String* asString() const { return string_; }
    Object* asObject() const { return object_; }
    // The object of an object value, nullptr for any other value.
    Object* objectOrNull() const { return type_ == Type::Object ? object_ : nullptr; }

private:
    Type type_;
    union {
        bool boolean_;
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
