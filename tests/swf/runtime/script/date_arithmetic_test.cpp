#include "swf/runtime/script/date_arithmetic.h"

#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace velmora::swf::script {
namespace {

using test::TimeZone;


double utcDate(double y, double m, double d, double h = 0, double min = 0) {
    return timeClip(makeDate(makeDay(y, m, d), makeTime(h, min, 0, 0)));
}

TEST(DateArithmeticTest, CalendarFieldsOfKnownDays) {
    const double t = utcDate(2000, 1, 29, 13, 45);  // a leap day
    EXPECT_EQ(t, 951831900000.0);
    EXPECT_EQ(yearFromTime(t), 2000);
    EXPECT_EQ(monthFromTime(t), 1);
    EXPECT_EQ(dateFromTime(t), 29);
    EXPECT_EQ(weekDay(t), 2);  // a Tuesday
    EXPECT_EQ(hourFromTime(t), 13);
    EXPECT_EQ(minFromTime(t), 45);
    // Before the epoch the fields still count forward within their day.
    const double before = utcDate(1969, 11, 31, 23, 59) + 1500;
    EXPECT_EQ(yearFromTime(before), 1969);
    EXPECT_EQ(dateFromTime(before), 31);
    EXPECT_EQ(secFromTime(before), 1);
    EXPECT_EQ(msFromTime(before), 500);
    EXPECT_EQ(weekDay(before), 3);
    EXPECT_FALSE(inLeapYear(utcDate(1900, 0, 1)));
    EXPECT_TRUE(inLeapYear(utcDate(2400, 0, 1)));
}

TEST(DateArithmeticTest, MonthsDaysAndTimesOverflowIntoTheNextUnit) {
    EXPECT_EQ(utcDate(2023, 12, 1), utcDate(2024, 0, 1));
    EXPECT_EQ(utcDate(2024, -1, 1), utcDate(2023, 11, 1));
    EXPECT_EQ(utcDate(2024, -13, 1), utcDate(2022, 11, 1));
    EXPECT_EQ(utcDate(2023, 1, 29), utcDate(2023, 2, 1));  // 29 February of a common year
    EXPECT_EQ(utcDate(2024, 0, 0), utcDate(2023, 11, 31));
    EXPECT_EQ(utcDate(2024, 0, 1, 25, 90), utcDate(2024, 0, 2, 2, 30));
    EXPECT_EQ(makeDay(2024, 1.9, 1.7), makeDay(2024, 1, 1));  // fractions are cut
}

TEST(DateArithmeticTest, InvalidAndFarDatesAreNaN) {
    EXPECT_TRUE(std::isnan(makeDay(NAN, 0, 1)));
    EXPECT_TRUE(std::isnan(makeTime(0, INFINITY, 0, 0)));
    EXPECT_TRUE(std::isnan(timeClip(8.64e15 + 1)));
    EXPECT_EQ(timeClip(-8.64e15), -8.64e15);
    EXPECT_TRUE(std::isnan(utcDate(275761, 0, 1)));
    EXPECT_TRUE(std::isnan(utcDate(1e300, 0, 1)));
    EXPECT_TRUE(std::isnan(yearFromTime(NAN)));
    EXPECT_TRUE(std::isnan(dateFromTime(NAN)));
}

TEST(DateArithmeticTest, LocalTimeFollowsTheMachinesZoneAndDaylightSaving) {
    TimeZone berlin("Europe/Berlin");
    const double winter = utcDate(2024, 0, 15, 12, 0);
    const double summer = utcDate(2024, 6, 15, 12, 0);
    EXPECT_EQ(localOffset(winter), 3'600'000);
    EXPECT_EQ(localOffset(summer), 7'200'000);
    EXPECT_EQ(hourFromTime(localTime(summer)), 14);
    EXPECT_EQ(utcFromLocal(localTime(winter)), winter);
    EXPECT_EQ(utcFromLocal(localTime(summer)), summer);
    // 02:30 on the spring-forward night does not exist; it lands within an hour of it.
    const double gap = utcFromLocal(utcDate(2024, 2, 31, 2, 30));
    EXPECT_LE(std::fabs(gap - utcDate(2024, 2, 31, 0, 30)), 3'600'000);

    TimeZone newYork("America/New_York");
    EXPECT_EQ(localOffset(winter), -5 * 3'600'000);
    EXPECT_EQ(dateFromTime(localTime(utcDate(2024, 0, 1, 3, 0))), 31);  // still New Year's Eve
}

}  // namespace
}  // namespace velmora::swf::script
