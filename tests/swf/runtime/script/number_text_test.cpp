#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "swf/runtime/script/number_parsing.h"
#include "swf/runtime/script/url_escape.h"
#include "swf/runtime/script/value.h"

namespace velmora::swf::script {
namespace {

TEST(NumberTextTest, NumbersPrintWithFifteenDigitsAndThePlayersExponentBounds) {
    EXPECT_EQ(numberToString(0.1 + 0.2), "0.3");
    EXPECT_EQ(numberToString(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(numberToString(-0.0), "0");
    EXPECT_EQ(numberToString(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberToString(1e15), "1e+15");
    EXPECT_EQ(numberToString(1.5e21), "1.5e+21");
    EXPECT_EQ(numberToString(999999999999999.9), "1e+15");  // rounding carries into the exponent
    EXPECT_EQ(numberToString(0.0000707239232724532), "0.0000707239232724532");
    EXPECT_EQ(numberToString(1e-7), "1e-7");
    EXPECT_EQ(numberToString(0.000001), "1e-6");
    EXPECT_EQ(numberToString(-8.2065098467865e-6), "-8.2065098467865e-6");
    // The closest 15 digits, ties away from zero.
    EXPECT_EQ(numberToString(5e-324), "4.94065645841247e-324");
    EXPECT_EQ(numberToString(1.7976931348623157e308), "1.79769313486232e+308");
    EXPECT_EQ(numberToString(3450.224853515625), "3450.22485351563");
    EXPECT_EQ(numberToString(-163.7779541015625), "-163.777954101563");
    EXPECT_EQ(numberToString(999999999999999.5), "1e+15");  // a tie that carries
    EXPECT_EQ(numberToString(std::nan("")), "NaN");
    EXPECT_EQ(numberToString(-INFINITY), "-Infinity");
    EXPECT_EQ(numberToRadixString(255, 16), "ff");
    EXPECT_EQ(numberToRadixString(-10.75, 2), "-1010");
}

TEST(NumberTextTest, TextReadsAsNumberByTheMoviesVersion) {
    EXPECT_EQ(stringToNumber("  12.5e1\n", 7), 125);
    EXPECT_EQ(stringToNumber("0x1F", 7), 31);
    EXPECT_EQ(stringToNumber("-0x10", 7), -16);
    EXPECT_EQ(stringToNumber("", 6), 0);
    EXPECT_TRUE(std::isnan(stringToNumber("", 7)));
    EXPECT_TRUE(std::isnan(stringToNumber("12px", 7)));
    EXPECT_TRUE(std::isnan(stringToNumber("Infinity", 7)));
    EXPECT_TRUE(std::isnan(stringToNumber("1e", 7)));
}

TEST(NumberTextTest, ParseIntReadsPrefixesAndRadixes) {
    EXPECT_EQ(parseIntText("  42px", 0), 42);
    EXPECT_EQ(parseIntText("-0x1f", 0), -31);
    EXPECT_EQ(parseIntText("0x1f", 16), 31);
    EXPECT_EQ(parseIntText("010", 0), 8);   // a leading zero is octal
    EXPECT_EQ(parseIntText("08", 0), 0);    // ...and 8 is no octal digit
    EXPECT_EQ(parseIntText("010", 10), 10);
    EXPECT_EQ(parseIntText("zz", 36), 35 * 36 + 35);
    EXPECT_EQ(parseIntText("123456789012345678901", 0), 123456789012345678901.0);
    EXPECT_TRUE(std::isnan(parseIntText("12", 1)));
    EXPECT_TRUE(std::isnan(parseIntText("12", 37)));
    EXPECT_TRUE(std::isnan(parseIntText("", 0)));
    EXPECT_TRUE(std::isnan(parseIntText("-", 0)));
    EXPECT_TRUE(std::isnan(parseIntText("0x", 0)));
}

TEST(NumberTextTest, ParseFloatReadsTheLongestNumberAtTheStart) {
    EXPECT_EQ(parseFloatText(" 3.25kg"), 3.25);
    EXPECT_EQ(parseFloatText("-.5"), -0.5);
    EXPECT_EQ(parseFloatText("5."), 5);
    EXPECT_EQ(parseFloatText("1e3x"), 1000);
    EXPECT_EQ(parseFloatText("1e+"), 1);
    EXPECT_EQ(parseFloatText("0x10"), 0);
    EXPECT_EQ(parseFloatText("1e400"), INFINITY);
    EXPECT_EQ(parseFloatText("1e-400"), 0);
    EXPECT_EQ(parseFloatText("0." + std::string(400, '0') + "1"), 0);
    EXPECT_TRUE(std::isnan(parseFloatText(".")));
    EXPECT_TRUE(std::isnan(parseFloatText("Infinity")));
}

TEST(NumberTextTest, EscapeKeepsOnlyLettersAndDigitsAndRoundTrips) {
    EXPECT_EQ(escapeText("a b.c-d_e/é", 6), "a%20b%2Ec%2Dd%5Fe%2F%C3%A9");
    EXPECT_EQ(escapeText("é", 5), "%E9");  // one byte of the old single-byte code page
    EXPECT_EQ(unescapeText("%E4%B8%AD%u6587%41", 6), "中文A");
    EXPECT_EQ(unescapeText("%E9", 5), "é");
    EXPECT_EQ(unescapeText("100%", 6), "100%");  // not an escape: kept as written
    EXPECT_EQ(unescapeText("%zz%4", 6), "%zz%4");
    for (const char* s : {"Grüße, 世界!", "a+b=c&d"}) EXPECT_EQ(unescapeText(escapeText(s, 8), 8), s);
}

}  // namespace
}  // namespace velmora::swf::script
