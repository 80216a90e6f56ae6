#include "swf/runtime/action_value.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>


namespace velmora::swf {

ActionValue ActionValue::null() {
    ActionValue v;
    v.kind_ = Kind::Null;
    return v;
}

ActionValue ActionValue::boolean(bool value) {
    ActionValue v;
    v.kind_ = Kind::Boolean;
    v.boolean_ = value;
    return v;
}

ActionValue ActionValue::number(double value) {
    ActionValue v;
    v.kind_ = Kind::Number;
    v.number_ = value;
    return v;
}

ActionValue ActionValue::string(std::string value) {
    ActionValue v;
    v.kind_ = Kind::String;
    v.string_ = std::move(value);
    return v;
}


double ActionValue::toNumber(int swfVersion) const {
    switch (kind_) {
    case Kind::Undefined:
    case Kind::Null:
        return swfVersion >= 7 ? std::nan("") : 0.0;
    case Kind::Boolean:
        return boolean_ ? 1.0 : 0.0;
    case Kind::Number:
        return number_;
    case Kind::String:
        return parseNumber(string_, swfVersion);
    }
    return 0.0;
}

std::string ActionValue::toString(int swfVersion) const {
    switch (kind_) {
    case Kind::Undefined:
        return swfVersion >= 7 ? "undefined" : "";
    case Kind::Null:
        return "null";
    case Kind::Boolean:
        return boolean_ ? "true" : "false";
    case Kind::Number:
        return formatNumber(number_);
    case Kind::String:
        return string_;
    }
    return {};
}

bool ActionValue::toBoolean(int swfVersion) const {
    switch (kind_) {
    case Kind::Undefined:
    case Kind::Null:
        return false;
    case Kind::Boolean:
        return boolean_;
    case Kind::Number:
        return number_ != 0.0 && !std::isnan(number_);
    case Kind::String:
        // SWF 7 made any non-empty text true; earlier players went through the number.
        if (swfVersion >= 7) return !string_.empty();
        {
            const double n = parseNumber(string_, swfVersion);
            return n != 0.0 && !std::isnan(n);
        }
    }
    return false;
}

std::string ActionValue::formatNumber(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0.0) return "0";  // also folds -0
    char buffer[64];
    if (std::trunc(value) == value && std::fabs(value) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    }
    return buffer;
}

double ActionValue::parseNumber(const std::string& text, int swfVersion) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    if (begin == end) return swfVersion >= 7 ? std::nan("") : 0.0;
    const std::string body = text.substr(begin, end - begin);
    if (body.size() > 2 && body[0] == '0' && (body[1] == 'x' || body[1] == 'X')) {
        char* stop = nullptr;
        const unsigned long long n = std::strtoull(body.c_str() + 2, &stop, 16);
        return *stop == '\0' ? static_cast<double>(n) : std::nan("");
    }
    // strtod would also take "inf", "nan" and hexadecimal floats, which ActionScript does not.
    for (char c : body) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' ||
              c == 'E')) {
            return std::nan("");
        }
    }
    char* stop = nullptr;
    const double n = std::strtod(body.c_str(), &stop);
    return *stop == '\0' ? n : std::nan("");
}

}  // namespace velmora::swf
