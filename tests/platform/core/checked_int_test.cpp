#include "platform/core/checked_int.h"

#include <gtest/gtest.h>

#include "platform/core/attempt.h"
#include "platform/core/variant_index.h"

namespace velmora {
namespace {

TEST(CheckedInt, NarrowingKeepsValuesInRangeAndRefusesTheRest) {
    EXPECT_EQ(narrow16(32767), 32767);
    EXPECT_EQ(narrow16(-32768), -32768);
    EXPECT_THROW(narrow16(32768), OverflowFailure);
    EXPECT_THROW(narrow16(-32769), OverflowFailure);
    EXPECT_EQ(narrow32(2147483647LL), 2147483647);
    EXPECT_THROW(narrow32(2147483648LL), OverflowFailure);
    EXPECT_THROW(narrow32(-2147483649LL), OverflowFailure);
}

TEST(CheckedInt, ArithmeticRaisesInsteadOfWrapping) {
    EXPECT_EQ(add16(32766, 1), 32767);
    EXPECT_THROW(add16(32767, 1), OverflowFailure);
    EXPECT_EQ(sub16(-32767, 1), -32768);
    EXPECT_THROW(sub16(-32768, 1), OverflowFailure);
    EXPECT_THROW(add32(2147483647, 1), OverflowFailure);
    EXPECT_THROW(sub32(-2147483647 - 1, 1), OverflowFailure);
    EXPECT_EQ(mul32(65536, 255), 16711680);
    EXPECT_THROW(mul32(65536, 32768), OverflowFailure);
}

TEST(CheckedInt, OverflowSaysWhatDidNotFit) {
    try {
        narrow16(40000);
        FAIL();
    } catch (const Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find("40000"), std::string::npos);
    }
}

TEST(TextToNumber, ReadsDecimalNumbersWithBlanksAroundThem) {
    EXPECT_EQ(textToDouble("120"), 120.0);
    EXPECT_EQ(textToDouble("  0 "), 0.0);
    EXPECT_EQ(textToDouble("-0"), 0.0);
    EXPECT_EQ(textToDouble("+2.5"), 2.5);
    EXPECT_EQ(textToDouble(".5"), 0.5);
    EXPECT_EQ(textToDouble("5."), 5.0);
    EXPECT_EQ(textToDouble("1e3"), 1000.0);
    EXPECT_EQ(textToDouble("1E-2"), 0.01);
    EXPECT_EQ(textToDouble("1e-400"), 0.0);
}

TEST(TextToNumber, RefusesEverythingElse) {
    for (const char* text : {"", "   ", "abc", "12abc", "1,5", "0x10", "inf", "nan", "--1", "1e", ".", "+", "1 2"}) {
        EXPECT_THROW(textToDouble(text), Failure) << '"' << text << '"';
    }
    EXPECT_THROW(textToDouble("1e400"), OverflowFailure);
}

TEST(TextToNumber, SixteenBitConversionRoundsHalfToEvenAndChecksTheRange) {
    EXPECT_EQ(textToInt16("300"), 300);
    EXPECT_EQ(textToInt16("2.5"), 2);
    EXPECT_EQ(textToInt16("3.5"), 4);
    EXPECT_EQ(textToInt16("-2.5"), -2);
    EXPECT_EQ(textToInt16("2.6"), 3);
    EXPECT_EQ(textToInt16("32767.4"), 32767);
    EXPECT_EQ(textToInt16("-32768"), -32768);
    EXPECT_THROW(textToInt16("32767.5"), OverflowFailure);
    EXPECT_THROW(textToInt16("40000"), OverflowFailure);
    EXPECT_THROW(textToInt16("-32769"), OverflowFailure);
    EXPECT_THROW(textToInt16("twelve"), Failure);
}

TEST(VariantIndexTest, CountsAsZeroUntilSetAndWidensPastSixteenBits) {
    VariantIndex index;
    EXPECT_FALSE(index.hasValue());
    EXPECT_EQ(index.value(), 0);
    index.increment();
    EXPECT_TRUE(index.hasValue());
    EXPECT_EQ(index.value(), 1);

    index.set(32767);
    index.increment();
    EXPECT_EQ(index.value(), 32768);
}

TEST(Attempt, GoOnSwallowsFailuresOnlyAndStopPassesThemOn) {
    int runs = 0;
    EXPECT_TRUE(attempt([&] { ++runs; }));
    EXPECT_FALSE(attempt([&] { ++runs; throw Failure("no"); }));
    EXPECT_EQ(runs, 2);
    EXPECT_THROW(attempt(OnFailure::Stop, [] { throw Failure("no"); }), Failure);
    // Anything that is not a failing step (a programming error) is never swallowed.
    EXPECT_THROW(attempt([] { throw std::logic_error("bug"); }), std::logic_error);
}

}  // namespace
}  // namespace velmora
