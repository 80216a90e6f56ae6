#pragma once

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace velmora::test {

// A JSON document, small enough for the corpus's expected values: null, booleans, numbers (as
// double), strings (UTF-8), arrays and objects.
class JsonValue {
public:
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue>;

    JsonValue() = default;

    // Parses text; throws std::runtime_error with the offset on malformed input.
    static JsonValue parse(const std::string& text);

    bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
    bool isObject() const { return std::holds_alternative<Object>(value_); }
    bool isArray() const { return std::holds_alternative<Array>(value_); }

    // Typed access; throws std::runtime_error when the value is of another type.
    bool asBool() const;
    double asNumber() const;
    long long asInt() const { return static_cast<long long>(asNumber()); }
    const std::string& asString() const;
    const Array& asArray() const;
    const Object& asObject() const;

    // Object members: has() tells whether key is present; operator[] throws when it is not.
    bool has(const std::string& key) const;
    const JsonValue& operator[](const std::string& key) const;
    // The member or a null value.
    const JsonValue& get(const std::string& key) const;

private:
    friend class JsonParser;
    std::variant<std::monostate, bool, double, std::string, Array, Object> value_;
};

}  // namespace velmora::test
