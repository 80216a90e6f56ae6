#include "platform/core/checked_int.h"

#include <cctype>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

template <typename T>
T narrowTo(int64_t value) {
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        throw OverflowFailure("the number " + std::to_string(value) + " is outside the range " +
                              std::to_string(std::numeric_limits<T>::min()) + " to " +
                              std::to_string(std::numeric_limits<T>::max()));
    }
    return static_cast<T>(value);
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// True when text[begin, end) is [sign] (digits [. [digits]] | . digits) [(e|E) [sign] digits].
bool isDecimalNumber(const std::string& text, size_t begin, size_t end) {
    size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < end && isDigit(text[i])) ++i, ++digits;
    if (i < end && text[i] == '.') {
        ++i;
        while (i < end && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < end && isDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == end;
}

}  // namespace

int16_t narrow16(int64_t value) { return narrowTo<int16_t>(value); }
int32_t narrow32(int64_t value) { return narrowTo<int32_t>(value); }

int16_t add16(int16_t a, int16_t b) { return narrow16(int64_t{a} + b); }
int16_t sub16(int16_t a, int16_t b) { return narrow16(int64_t{a} - b); }

int32_t add32(int32_t a, int32_t b) { return narrow32(int64_t{a} + b); }
int32_t sub32(int32_t a, int32_t b) { return narrow32(int64_t{a} - b); }
int32_t mul32(int32_t a, int32_t b) { return narrow32(int64_t{a} * b); }

double textToDouble(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    if (!isDecimalNumber(text, begin, end)) throw Failure("\"" + text + "\" is not a number");

    // from_chars takes no leading plus sign.
    if (text[begin] == '+') ++begin;
    double value = 0;
    const auto [ptr, error] = std::from_chars(text.data() + begin, text.data() + end, value);
    if (error == std::errc::result_out_of_range) {
        // A number too small to represent is zero; one too large does not fit a double.
        const size_t e = text.find_first_of("eE", begin);
        if (e != std::string::npos && e < end && text.find('-', e) < end) return 0.0;
        throw OverflowFailure("the number \"" + text + "\" is too large");
    }
    if (error != std::errc() || ptr != text.data() + end) throw Failure("\"" + text + "\" is not a number");
    return value;
}

int16_t textToInt16(const std::string& text) {
    const double value = textToDouble(text);
    // Half-way values go to the even neighbour (the default rounding mode).
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
        throw OverflowFailure("the number \"" + text + "\" is outside the range -32768 to 32767");
    }
    return static_cast<int16_t>(rounded);
}

}  // namespace velmora
