#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "swf/runtime/script/value.h"

namespace velmora::swf::script {

std::string numberToString(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0.0) return "0";  // also folds -0
    // 15 significant digits, then laid out as ECMAScript lays out its shortest digits, except that
    // the player switches to the exponent form from 1e15 on (ECMAScript: 1e21) and below 1e-5
    // (ECMAScript: 1e-6).
    // to_chars, unlike printf, ignores the process locale (Qt sets the user's, whose decimal mark
    // may be a comma).
    char buffer[64];
    const auto printed = std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value),
                                       std::chars_format::scientific, 14);
    *printed.ptr = '\0';
    const char* e = std::strchr(buffer, 'e');
    std::string digits;
    for (const char* p = buffer; p != e; ++p) {
        if (*p != '.') digits += *p;
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int exponent = std::atoi(e + 1);  // value = d.ddd * 10^exponent
    const int k = static_cast<int>(digits.size());
    const int n = exponent + 1;  // digits before the decimal point
    std::string out = value < 0 ? "-" : "";
    if (n > 15 || n < -4) {
        out += digits[0];
        if (k > 1) out += "." + digits.substr(1);
        out += exponent < 0 ? "e-" : "e+";
        out += std::to_string(std::abs(exponent));
    } else if (n >= k) {
        out += digits + std::string(static_cast<size_t>(n - k), '0');
    } else if (n > 0) {
        out += digits.substr(0, static_cast<size_t>(n)) + "." + digits.substr(static_cast<size_t>(n));
    } else {
        out += "0." + std::string(static_cast<size_t>(-n), '0') + digits;
    }
    return out;
}

std::string numberToRadixString(double value, int radix) {
    if (radix == 10 || radix < 2 || radix > 36) return numberToString(value);
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    double n = std::trunc(std::fabs(value));
    if (n == 0) return "0";
    std::string out;
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    while (n >= 1 && out.size() < 1100) {
        const double q = std::floor(n / radix);
        out += kDigits[static_cast<int>(n - q * radix)];
        n = q;
    }
    if (value < 0) out += '-';
    return std::string(out.rbegin(), out.rend());
}

namespace {

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

double stringToNumber(std::string_view text, int swfVersion) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && isBlank(static_cast<unsigned char>(text[end - 1]))) --end;
    if (begin == end) return swfVersion >= 7 ? std::nan("") : 0.0;
    std::string body(text.substr(begin, end - begin));
    bool negative = false;
    size_t at = 0;
    if (body.size() > 2 && (body[0] == '-' || body[0] == '+') && body[1] == '0' && (body[2] == 'x' || body[2] == 'X')) {
        negative = body[0] == '-';
        at = 1;
    }
    if (body.size() > at + 2 && body[at] == '0' && (body[at + 1] == 'x' || body[at + 1] == 'X')) {
        double n = 0;
        for (size_t i = at + 2; i < body.size(); ++i) {
            const char c = body[i];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return std::nan("");
            n = n * 16 + d;
        }
        return negative ? -n : n;
    }
    // strtod would also take "inf", "nan" and hexadecimal floats, which scripts do not.
    size_t i = 0;
    if (body[i] == '-' || body[i] == '+') ++i;
    size_t mantissaDigits = 0;
    while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) ++i, ++mantissaDigits;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nan("");
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '-' || body[i] == '+')) ++i;
        size_t expDigits = 0;
        while (i < body.size() && std::isdigit(static_cast<unsigned char>(body[i]))) ++i, ++expDigits;
        if (expDigits == 0) return std::nan("");
    }
    if (i != body.size()) return std::nan("");
    // from_chars reads the same text as strtod whatever the process locale; it takes no '+'.
    const char* first = body.data();
    if (*first == '+') ++first;
    double result = 0.0;
    const auto read = std::from_chars(first, body.data() + body.size(), result);
    if (read.ec == std::errc::result_out_of_range) {
        // Too large is an infinity, too small a zero, as strtod gives them.
        const size_t e = body.find_first_of("eE");
        const bool tiny = e != std::string::npos && body[e + 1] == '-';
        return tiny ? (body[0] == '-' ? -0.0 : 0.0)
                    : (body[0] == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity());
    }
    return result;
}

uint32_t toUint32(double value) {
    if (!std::isfinite(value)) return 0;
    if (value >= 0 && value < 4294967296.0) return static_cast<uint32_t>(value);
    const double m = std::fmod(std::trunc(value), 4294967296.0);
    return static_cast<uint32_t>(m < 0 ? m + 4294967296.0 : m);
}

int32_t toInt32(double value) { return static_cast<int32_t>(toUint32(value)); }

double toInteger(double value) {
    if (std::isnan(value)) return 0;
    return std::trunc(value);
}

}  // namespace velmora::swf::script
