// Date: the constructor, Date.UTC, Date.prototype's getters and setters in local time and UTC.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/date_arithmetic.h"

namespace velmora::swf::script {

namespace {

class DateObject final : public Object {
public:
    explicit DateObject(Object* proto) : Object(proto, ObjectKind::Host) {}
    const char* className() const override { return "Date"; }
    double time = std::nan("");
};

Object* allocateDate(Vm& vm, Object* proto) { return vm.heap().make<DateObject>(proto); }

DateObject* thisDate(const Value& self) {
    Object* o = self.objectOrNull();
    return o && o->kind() == ObjectKind::Host ? dynamic_cast<DateObject*>(o) : nullptr;
}

double now() {
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

// The seven fields of a date, in the order the constructor and the setters take them.
enum Field { kYear, kMonth, kDate, kHours, kMinutes, kSeconds, kMs, kFieldCount };

void split(double t, double (&fields)[kFieldCount]) {
    fields[kYear] = yearFromTime(t);
    fields[kMonth] = monthFromTime(t);
    fields[kDate] = dateFromTime(t);
    fields[kHours] = hourFromTime(t);
    fields[kMinutes] = minFromTime(t);
    fields[kSeconds] = secFromTime(t);
    fields[kMs] = msFromTime(t);
}

double join(const double (&fields)[kFieldCount]) {
    return makeDate(makeDay(fields[kYear], fields[kMonth], fields[kDate]),
                    makeTime(fields[kHours], fields[kMinutes], fields[kSeconds], fields[kMs]));
}

// Two-digit years mean the twentieth century, in the constructor, Date.UTC and setYear.
double fullYear(double y) {
    if (!std::isnan(y)) {
        const double whole = std::trunc(y);
        if (whole >= 0 && whole <= 99) return 1900 + whole;
    }
    return y;
}

// The time of year, month[, date, hours, minutes, seconds, ms] as given (a missing date is the
// 1st, other missing fields 0); local says whether they are local time.
double timeFromFields(CallContext& cx, std::span<const Value> args, bool local) {
    double fields[kFieldCount] = {0, 0, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < args.size() && i < kFieldCount; ++i) fields[i] = cx.toNumber(args[i]);
    fields[kYear] = fullYear(fields[kYear]);
    const double t = join(fields);
    return timeClip(local ? utcFromLocal(t) : t);
}

// "Mon Dec 7 11:08:57 GMT+0100 2026", as the player prints a date, in local time.
std::string formatDate(double t) {
    if (std::isnan(t)) return "Invalid Date";
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const double local = localTime(t);
    const int offsetMinutes = static_cast<int>((local - t) / 60000);
    const int absOffset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f",
                  kDays[static_cast<int>(weekDay(local))], kMonths[static_cast<int>(monthFromTime(local))],
                  static_cast<int>(dateFromTime(local)), static_cast<int>(hourFromTime(local)),
                  static_cast<int>(minFromTime(local)), static_cast<int>(secFromTime(local)),
                  offsetMinutes < 0 ? '-' : '+', absOffset / 60, absOffset % 60, yearFromTime(local));
    return buffer;
}

Value dateConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    DateObject* date = cx.constructing ? thisDate(self) : nullptr;
    // Date() called as a function ignores its arguments and answers the time now as text.
    if (!date) return cx.stringValue(formatDate(now()));
    if (args.empty()) date->time = timeClip(now());
    else if (args.size() == 1) date->time = timeClip(cx.toNumber(args[0]));
    else date->time = timeFromFields(cx, args, true);
    return self;
}

Value dateUtc(CallContext& cx, const Value&, std::span<const Value> args) {
    if (args.size() < 2) return Value::number(std::nan(""));
    return Value::number(timeFromFields(cx, args, false));
}

// The getters: one field of the time, in local time or UTC.
template <double (*F)(double), bool Local>
Value getField(CallContext&, const Value& self, std::span<const Value>) {
    DateObject* d = thisDate(self);
    if (!d) return Value();
    if (std::isnan(d->time)) return Value::number(std::nan(""));
    return Value::number(F(Local ? localTime(d->time) : d->time));
}

double yearsSince1900(double t) { return yearFromTime(t) - 1900; }
double identity(double t) { return t; }

Value getTimezoneOffset(CallContext&, const Value& self, std::span<const Value>) {
    DateObject* d = thisDate(self);
    if (!d) return Value();
    if (std::isnan(d->time)) return Value::number(std::nan(""));
    return Value::number((d->time - localTime(d->time)) / 60000);
}

Value setTime(CallContext& cx, const Value& self, std::span<const Value> args) {
    DateObject* d = thisDate(self);
    if (!d) return Value();
    d->time = timeClip(cx.toNumber(arg(args, 0)));
    return Value::number(d->time);
}

// The setters: setX(value, more...) writes fields First, First + 1, ... from its arguments (at
// most Count of them) and keeps the others; the time is then rebuilt, so fields overflow into
// their neighbours (setDate(32) is a day of the next month). On an invalid date only the year
// setters make a date again, from 1 January 1970.
template <Field First, int Count, bool Local>
Value setFields(CallContext& cx, const Value& self, std::span<const Value> args) {
    DateObject* d = thisDate(self);
    if (!d) return Value();
    double t = d->time;
    if (std::isnan(t)) {
        if (First != kYear) return Value::number(std::nan(""));
        t = 0;  // the epoch's fields, read as they are in either time
    } else if (Local) {
        t = localTime(t);
    }
    double fields[kFieldCount];
    split(t, fields);
    // The first argument is required: missing, it reads as undefined does.
    fields[First] = cx.toNumber(arg(args, 0));
    for (int i = 1; i < Count && static_cast<size_t>(i) < args.size(); ++i) fields[First + i] = cx.toNumber(args[i]);
    const double rebuilt = join(fields);
    d->time = timeClip(Local ? utcFromLocal(rebuilt) : rebuilt);
    return Value::number(d->time);
}

// setYear(y): the year, two-digit years meaning 19xx.
Value setYear(CallContext& cx, const Value& self, std::span<const Value> args) {
    DateObject* d = thisDate(self);
    if (!d) return Value();
    const double t = std::isnan(d->time) ? 0 : localTime(d->time);
    double fields[kFieldCount];
    split(t, fields);
    fields[kYear] = fullYear(cx.toNumber(arg(args, 0)));
    d->time = timeClip(utcFromLocal(join(fields)));
    return Value::number(d->time);
}

Value dateValueOf(CallContext&, const Value& self, std::span<const Value>) {
    DateObject* d = thisDate(self);
    return d ? Value::number(d->time) : Value();
}

Value dateToString(CallContext& cx, const Value& self, std::span<const Value>) {
    DateObject* d = thisDate(self);
    return d ? cx.stringValue(formatDate(d->time)) : Value();
}

}  // namespace

void installDate(Vm& vm) {
    Object* proto = vm.realm().datePrototype;
    FunctionObject* ctor = defineConstructor(vm, "Date", dateConstruct, proto, allocateDate, 7);
    defineNative(vm, ctor, "UTC", dateUtc, 7);
    defineMethods(vm, proto,
                  {{"getFullYear", getField<yearFromTime, true>}, {"getYear", getField<yearsSince1900, true>},
                   {"getMonth", getField<monthFromTime, true>}, {"getDate", getField<dateFromTime, true>},
                   {"getDay", getField<weekDay, true>}, {"getHours", getField<hourFromTime, true>},
                   {"getMinutes", getField<minFromTime, true>}, {"getSeconds", getField<secFromTime, true>},
                   {"getMilliseconds", getField<msFromTime, true>},
                   {"getUTCFullYear", getField<yearFromTime, false>}, {"getUTCYear", getField<yearsSince1900, false>},
                   {"getUTCMonth", getField<monthFromTime, false>}, {"getUTCDate", getField<dateFromTime, false>},
                   {"getUTCDay", getField<weekDay, false>}, {"getUTCHours", getField<hourFromTime, false>},
                   {"getUTCMinutes", getField<minFromTime, false>}, {"getUTCSeconds", getField<secFromTime, false>},
                   {"getUTCMilliseconds", getField<msFromTime, false>}, {"getTime", getField<identity, false>},
                   {"getTimezoneOffset", getTimezoneOffset}, {"valueOf", dateValueOf}, {"toString", dateToString},
                   {"setTime", setTime, 1}, {"setYear", setYear, 1},
                   {"setFullYear", setFields<kYear, 3, true>, 3}, {"setMonth", setFields<kMonth, 2, true>, 2},
                   {"setDate", setFields<kDate, 1, true>, 1}, {"setHours", setFields<kHours, 4, true>, 4},
                   {"setMinutes", setFields<kMinutes, 3, true>, 3}, {"setSeconds", setFields<kSeconds, 2, true>, 2},
                   {"setMilliseconds", setFields<kMs, 1, true>, 1},
                   {"setUTCFullYear", setFields<kYear, 3, false>, 3}, {"setUTCMonth", setFields<kMonth, 2, false>, 2},
                   {"setUTCDate", setFields<kDate, 1, false>, 1}, {"setUTCHours", setFields<kHours, 4, false>, 4},
                   {"setUTCMinutes", setFields<kMinutes, 3, false>, 3},
                   {"setUTCSeconds", setFields<kSeconds, 2, false>, 2},
                   {"setUTCMilliseconds", setFields<kMs, 1, false>, 1}});
}

}  // namespace velmora::swf::script
