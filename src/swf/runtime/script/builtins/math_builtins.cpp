// Math: its constants and functions. Math is a plain object, not a constructor.
#include <cmath>
#include <limits>
#include <numbers>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

double number(CallContext& cx, std::span<const Value> args, size_t i) {
    // A missing argument is NaN whatever the version (undefined alone reads as 0 before SWF 7).
    return i < args.size() ? cx.toNumber(args[i]) : std::numeric_limits<double>::quiet_NaN();
}

template <double (*F)(double)>
Value unary(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::number(F(number(cx, args, 0)));
}

double absolute(double x) { return std::fabs(x); }
double arcCos(double x) { return std::acos(x); }
double arcSin(double x) { return std::asin(x); }
double arcTan(double x) { return std::atan(x); }
double ceiling(double x) { return std::ceil(x); }
double cosine(double x) { return std::cos(x); }
double exponential(double x) { return std::exp(x); }
double floorOf(double x) { return std::floor(x); }
double logarithm(double x) { return std::log(x); }
double sine(double x) { return std::sin(x); }
double squareRoot(double x) { return std::sqrt(x); }
double tangent(double x) { return std::tan(x); }

// Halves round up, toward +Infinity (-2.5 is -2), as ECMAScript rounds.
double roundHalfUp(double x) {
    if (!std::isfinite(x) || x == 0) return x;
    if (x > 0 && x < 0.5) return 0.0;
    if (x < 0 && x >= -0.5) return -0.0;
    const double f = std::floor(x);
    return x - f >= 0.5 ? f + 1 : f;
}

Value atan2Of(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::number(std::atan2(number(cx, args, 0), number(cx, args, 1)));
}

// pow as ECMAScript has it: a NaN exponent is NaN even for a base of 1 (C's pow says 1), and
// (+-1) ** +-Infinity is NaN.
Value powOf(CallContext& cx, const Value&, std::span<const Value> args) {
    const double x = number(cx, args, 0), y = number(cx, args, 1);
    if (std::isnan(y)) return Value::number(std::nan(""));
    if (std::isinf(y) && std::fabs(x) == 1) return Value::number(std::nan(""));
    return Value::number(std::pow(x, y));
}

// max and min of any number of arguments; none gives -Infinity / Infinity, any NaN gives NaN.
Value maxOf(CallContext& cx, const Value&, std::span<const Value> args) {
    double m = -std::numeric_limits<double>::infinity();
    bool nan = false;
    for (const Value& v : args) {
        const double x = cx.toNumber(v);
        if (std::isnan(x)) nan = true;
        else if (x > m || (x == 0 && m == 0 && !std::signbit(x))) m = x;
    }
    return Value::number(nan ? std::nan("") : m);
}

Value minOf(CallContext& cx, const Value&, std::span<const Value> args) {
    double m = std::numeric_limits<double>::infinity();
    bool nan = false;
    for (const Value& v : args) {
        const double x = cx.toNumber(v);
        if (std::isnan(x)) nan = true;
        else if (x < m || (x == 0 && m == 0 && std::signbit(x))) m = x;
    }
    return Value::number(nan ? std::nan("") : m);
}

// A number in [0, 1) from the movie's random sequence (the one random() and the RandomNumber
// action draw from).
Value randomOf(CallContext& cx, const Value&, std::span<const Value>) {
    return Value::number(cx.vm.movie().nextRandom(0x80000000u) / 2147483648.0);
}

}  // namespace

void installMath(Vm& vm) {
    Object* math = vm.newObject();
    defineValue(vm, vm.global(), "Math", Value::object(math));
    constexpr uint8_t kConstant = kDontEnum | kDontDelete | kReadOnly;
    const std::pair<const char*, double> constants[] = {
        {"E", std::numbers::e},           {"LN10", std::numbers::ln10},       {"LN2", std::numbers::ln2},
        {"LOG10E", std::numbers::log10e}, {"LOG2E", std::numbers::log2e},     {"PI", std::numbers::pi},
        {"SQRT1_2", std::numbers::sqrt2 / 2}, {"SQRT2", std::numbers::sqrt2},
    };
    for (const auto& [name, value] : constants) defineValue(vm, math, name, Value::number(value), kConstant);
    defineMethods(vm, math,
                  {{"abs", unary<absolute>, 1}, {"acos", unary<arcCos>, 1}, {"asin", unary<arcSin>, 1},
                   {"atan", unary<arcTan>, 1}, {"atan2", atan2Of, 2}, {"ceil", unary<ceiling>, 1},
                   {"cos", unary<cosine>, 1}, {"exp", unary<exponential>, 1}, {"floor", unary<floorOf>, 1},
                   {"log", unary<logarithm>, 1}, {"max", maxOf, 2}, {"min", minOf, 2}, {"pow", powOf, 2},
                   {"random", randomOf}, {"round", unary<roundHalfUp>, 1}, {"sin", unary<sine>, 1},
                   {"sqrt", unary<squareRoot>, 1}, {"tan", unary<tangent>, 1}});
}

}  // namespace velmora::swf::script
