#include "swf/runtime/script/number_parsing.h"

#include <charconv>
#include <cmath>

namespace velmora::swf::script {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// Reads a plain decimal number with from_chars, which ignores the process locale (a strtod would
// read "1.5" as 1 under a locale whose decimal mark is a comma).
double readDecimal(std::string_view digits) {
    double value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the nearest of infinity and zero. It is too small
        // when its exponent is negative, or when it has none and no digit before the point is
        // other than zero.
        const size_t e = digits.find_first_of("eE");
        if (e != std::string_view::npos) return e + 1 < digits.size() && digits[e + 1] == '-' ? 0.0 : HUGE_VAL;
        const std::string_view whole = digits.substr(0, digits.find('.'));
        return whole.find_first_not_of('0') == std::string_view::npos ? 0.0 : HUGE_VAL;
    }
    return value;
}

}  // namespace

double parseIntText(std::string_view text, int radix) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const bool hexPrefix = i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
    if (radix == 0) {
        if (hexPrefix) {
            radix = 16;
            i += 2;
        } else if (i + 1 < text.size() && text[i] == '0' && isDigit(text[i + 1])) {
            // A leading zero makes the number octal, as the player has always read it.
            radix = 8;
        } else {
            radix = 10;
        }
    } else if (radix == 16 && hexPrefix) {
        i += 2;
    }
    if (radix < 2 || radix > 36) return std::nan("");
    const size_t begin = i;
    while (i < text.size() && digitValue(text[i]) < radix) ++i;
    if (i == begin) return std::nan("");
    double value;
    if (radix == 10) {
        // Exact for long runs of digits, where summing in doubles would round at every step.
        value = readDecimal(text.substr(begin, i - begin));
    } else {
        value = 0;
        for (size_t k = begin; k < i; ++k) value = value * radix + digitValue(text[k]);
    }
    return negative ? -value : value;
}

double parseFloatText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const size_t begin = i;
    size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        size_t fraction = 0;
        size_t k = i + 1;
        while (k < text.size() && isDigit(text[k])) ++k, ++fraction;
        // "5." reads as 5; a lone "." is no number.
        if (mantissaDigits > 0 || fraction > 0) {
            i = k;
            mantissaDigits += fraction;
        }
    }
    if (mantissaDigits == 0) return std::nan("");
    // An exponent counts only when digits follow it: "1e" and "1e+" read as 1.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t k = i + 1;
        if (k < text.size() && (text[k] == '-' || text[k] == '+')) ++k;
        if (k < text.size() && isDigit(text[k])) {
            while (k < text.size() && isDigit(text[k])) ++k;
            i = k;
        }
    }
    const double value = readDecimal(text.substr(begin, i - begin));
    return negative ? -value : value;
}

}  // namespace velmora::swf::script
