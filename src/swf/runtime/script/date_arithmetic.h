#pragma once

namespace velmora::swf::script {

// The calendar arithmetic of Date, as ECMAScript (3rd edition) defines it. A time value is a
// number of milliseconds since 1970-01-01 00:00:00 UTC; NaN stands for an invalid date, and every
// function here passes NaN (and infinities) through as NaN. Years are proleptic Gregorian, so the
// arithmetic runs the same for any year a script names.

constexpr double kMsPerDay = 86'400'000.0;

double dayOf(double t);          // whole days since the epoch (floor)
double timeWithinDay(double t);  // 0 <= result < kMsPerDay
double dayFromYear(double year);
double yearFromTime(double t);
bool inLeapYear(double t);
double monthFromTime(double t);  // 0..11
double dateFromTime(double t);   // 1..31
double weekDay(double t);        // 0 is Sunday
double hourFromTime(double t);
double minFromTime(double t);
double secFromTime(double t);
double msFromTime(double t);

// Time of day from its parts; the parts may overflow (minute 90 is an hour and a half).
double makeTime(double hour, double min, double sec, double ms);
// Days since the epoch of year, month (0-based, may overflow into other years, or be negative),
// date (1-based, may overflow into other months).
double makeDay(double year, double month, double date);
double makeDate(double day, double time);
// t as an integer number of milliseconds, or NaN beyond 100,000,000 days of the epoch.
double timeClip(double t);

// The offset of the machine's local time zone from UTC at the instant t (daylight saving time
// included), in milliseconds: positive east of Greenwich. From the C library's time zone data,
// so it follows the machine's TZ.
double localOffset(double t);
// UTC time to the machine's local time, and back.
double localTime(double t);
double utcFromLocal(double local);

}  // namespace velmora::swf::script
