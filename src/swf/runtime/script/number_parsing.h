#pragma once

#include <string_view>

namespace velmora::swf::script {

// The global parseInt: leading white space and a sign are skipped, then as many digits of the
// radix as follow are read; no digit at all gives NaN. radix 0 means none was given: "0x" then
// reads hexadecimal and a leading zero octal ("010" is 8, "08" is 0), as the player reads them,
// else decimal. With radix 16 a "0x" prefix is allowed. A radix outside 2..36 gives NaN.
double parseIntText(std::string_view text, int radix);

// The global parseFloat: leading white space skipped, then the longest prefix that reads as a
// decimal number (sign, digits, fraction, exponent); "0x" is not read (it gives 0). No number at
// the start gives NaN.
double parseFloatText(std::string_view text);

}  // namespace velmora::swf::script
