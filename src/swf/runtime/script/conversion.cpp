#include <algorithm>
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

namespace {

// The significant digits of |value| (no trailing zeros) and its decimal exponent, value being
// d.ddd * 10^exponent. to_chars, unlike printf, ignores the process locale (Qt sets the user's,
// whose decimal mark may be a comma).
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits splitScientific(const char* begin, const char* end) {
    Digits out;
    const char* e = std::find(begin, end, 'e');
    for (const char* p = begin; p != e; ++p) {
        if (*p != '.') out.digits += *p;
    }
    while (out.digits.size() > 1 && out.digits.back() == '0') out.digits.pop_back();
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), end, out.exponent);
    return out;
}

// The 15-digit decimal closest to the exact value, a tie going to the larger magnitude as
// ECMAScript's toPrecision breaks it. For every normal number these are ECMAScript's shortest
// digits whenever those fit in 15; the smallest denormals print all 15 (Number.MIN_VALUE is
// "4.94065645841247e-324", as the language reference gives it, not "5e-324").
Digits fifteenDigits(double magnitude) {
    char buffer[64];
    // An exact tie has the digit 5 in 16th place and nothing after it; to_chars would break it to
    // even. Forty digits are exact enough to tell.
    auto printed = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 39);
    const Digits exact = splitScientific(buffer, printed.ptr);
    if (exact.digits.size() == 16 && exact.digits[15] == '5') {
        Digits up{exact.digits.substr(0, 15), exact.exponent};
        int i = 14;
        while (i >= 0 && up.digits[static_cast<size_t>(i)] == '9') up.digits[static_cast<size_t>(i--)] = '0';
        if (i < 0) {
            up.digits.insert(up.digits.begin(), '1');
            ++up.exponent;
        } else {
            ++up.digits[static_cast<size_t>(i)];
        }
        up.digits.resize(15);
        while (up.digits.size() > 1 && up.digits.back() == '0') up.digits.pop_back();
        return up;
    }
    printed = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    return splitScientific(buffer, printed.ptr);
}

}  // namespace

std::string numberToString(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0.0) return "0";  // also folds -0
    // Laid out as ECMAScript lays out its digits, except that the player switches to the exponent
    // form from 1e15 on (ECMAScript: 1e21) and below 1e-5 (ECMAScript: 1e-6).
    const auto [digits, exponent] = fifteenDigits(std::fabs(value));
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
