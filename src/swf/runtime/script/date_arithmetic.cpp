#include "swf/runtime/script/date_arithmetic.h"

#include <cmath>
#include <ctime>

namespace velmora::swf::script {

namespace {

constexpr double kMsPerHour = 3'600'000.0;
constexpr double kMsPerMinute = 60'000.0;
constexpr double kMsPerSecond = 1000.0;

// The mathematical modulo: the result has the sign of b.
double modulo(double a, double b) {
    const double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

double daysInYear(double y) {
    if (std::fmod(y, 4) != 0) return 365;
    if (std::fmod(y, 100) != 0) return 366;
    if (std::fmod(y, 400) != 0) return 365;
    return 366;
}

double timeFromYear(double y) { return kMsPerDay * dayFromYear(y); }

// Days before the first of each month, in common and leap years.
constexpr int kMonthStart[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

double dayWithinYear(double t) { return dayOf(t) - dayFromYear(yearFromTime(t)); }

}  // namespace

double dayOf(double t) { return std::floor(t / kMsPerDay); }

double timeWithinDay(double t) { return modulo(t, kMsPerDay); }

double dayFromYear(double y) {
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) +
           std::floor((y - 1601) / 400);
}

double yearFromTime(double t) {
    if (!std::isfinite(t)) return std::nan("");
    // An estimate from the mean year, then corrected by at most a step or two.
    double y = std::floor(t / (kMsPerDay * 365.2425)) + 1970;
    while (timeFromYear(y) > t) --y;
    while (timeFromYear(y + 1) <= t) ++y;
    return y;
}

bool inLeapYear(double t) { return daysInYear(yearFromTime(t)) == 366; }

double monthFromTime(double t) {
    if (!std::isfinite(t)) return std::nan("");
    const int leap = inLeapYear(t) ? 1 : 0;
    const double d = dayWithinYear(t);
    int m = 0;
    while (m < 11 && d >= kMonthStart[leap][m + 1]) ++m;
    return m;
}

double dateFromTime(double t) {
    if (!std::isfinite(t)) return std::nan("");
    const int leap = inLeapYear(t) ? 1 : 0;
    return dayWithinYear(t) - kMonthStart[leap][static_cast<int>(monthFromTime(t))] + 1;
}

double weekDay(double t) { return modulo(dayOf(t) + 4, 7); }
double hourFromTime(double t) { return modulo(std::floor(t / kMsPerHour), 24); }
double minFromTime(double t) { return modulo(std::floor(t / kMsPerMinute), 60); }
double secFromTime(double t) { return modulo(std::floor(t / kMsPerSecond), 60); }
double msFromTime(double t) { return modulo(t, kMsPerSecond); }

double makeTime(double hour, double min, double sec, double ms) {
    if (!std::isfinite(hour) || !std::isfinite(min) || !std::isfinite(sec) || !std::isfinite(ms)) {
        return std::nan("");
    }
    return std::trunc(hour) * kMsPerHour + std::trunc(min) * kMsPerMinute + std::trunc(sec) * kMsPerSecond +
           std::trunc(ms);
}

double makeDay(double year, double month, double date) {
    if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date)) return std::nan("");
    const double y = std::trunc(year), m = std::trunc(month), dt = std::trunc(date);
    const double ym = y + std::floor(m / 12);
    const int mn = static_cast<int>(modulo(m, 12));
    // Years this far out make a time beyond what timeClip keeps anyway; stop before the
    // arithmetic loses its integers.
    if (std::fabs(ym) > 400'000) return std::nan("");
    const double firstOfYear = dayFromYear(ym);
    const int leap = daysInYear(ym) == 366 ? 1 : 0;
    return firstOfYear + kMonthStart[leap][mn] + dt - 1;
}

double makeDate(double day, double time) {
    if (!std::isfinite(day) || !std::isfinite(time)) return std::nan("");
    return day * kMsPerDay + time;
}

double timeClip(double t) {
    if (!std::isfinite(t) || std::fabs(t) > 8.64e15) return std::nan("");
    return std::trunc(t) + 0.0;  // + 0.0 turns -0 into +0
}

double localOffset(double t) {
    if (!std::isfinite(t)) return 0;
    // The C library answers for any time_t, but a year that does not fit its int does not; the
    // offset of such far times is that of the nearest year it can tell.
    const double seconds = std::floor(t / 1000);
    const double limit = 6.7e16;  // about two billion years
    std::time_t when = static_cast<std::time_t>(seconds < -limit ? -limit : seconds > limit ? limit : seconds);
    std::tm parts{};
    if (!localtime_r(&when, &parts)) return 0;
    return static_cast<double>(parts.tm_gmtoff) * 1000.0;
}

double localTime(double t) { return t + localOffset(t); }

double utcFromLocal(double local) {
    // The offset is a function of the UTC instant, which is what we are looking for: guess it from
    // the offset at the local time read as UTC, then take the offset at that guess. Across a
    // daylight saving change this settles on one of the two readings.
    const double guess = local - localOffset(local);
    return local - localOffset(guess);
}

}  // namespace velmora::swf::script
