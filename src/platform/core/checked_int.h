#pragma once

#include <cstdint>
#include <string>

#include "platform/core/failure.h"

namespace velmora {

// 16- and 32-bit values stay in their type: every narrowing and every sum or difference that
// leaves the type's range raises an OverflowFailure instead of wrapping or clipping.

// Returns value as a 16-bit signed integer. Raises OverflowFailure when it lies outside
// -32768..32767.
int16_t narrow16(int64_t value);

// Returns value as a 32-bit signed integer, or raises OverflowFailure.
int32_t narrow32(int64_t value);

// a + b and a - b in 16-bit signed arithmetic; raise OverflowFailure outside the range.
int16_t add16(int16_t a, int16_t b);
int16_t sub16(int16_t a, int16_t b);

// a + b, a - b and a * b in 32-bit signed arithmetic; raise OverflowFailure outside the range.
int32_t add32(int32_t a, int32_t b);
int32_t sub32(int32_t a, int32_t b);
int32_t mul32(int32_t a, int32_t b);

// Converts a text to a double-precision number the way the movie component's texts are read:
// leading and trailing blanks are ignored, a decimal number with optional sign, fraction and
// exponent is accepted. Raises Failure("... is not a number") for anything else, the empty text
// included.
double textToDouble(const std::string& text);

// Converts a text directly to a 16-bit signed integer: the number is read as by textToDouble,
// rounded half to even, and must then lie within -32768..32767 (OverflowFailure otherwise).
int16_t textToInt16(const std::string& text);

}  // namespace velmora
