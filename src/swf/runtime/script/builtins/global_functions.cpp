// The library's global functions: number parsing and tests, escape and unescape, the text
// functions of Flash 4 (single-byte and multi-byte), random and getTimer. Number, String and
// Boolean are their constructors, installed with their classes.
//
// The Flash 4 text functions are compiled to actions as a rule; these are for the scripts that
// reach them by name, and count as those actions do: the single-byte forms in bytes of the UTF-8
// text, the multi-byte forms in characters.
#include <cmath>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/number_parsing.h"
#include "swf/runtime/script/text_units.h"
#include "swf/runtime/script/url_escape.h"

namespace velmora::swf::script {

namespace {

Value parseIntFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    String* text = cx.toString(arg(args, 0));
    const Value radix = arg(args, 1);
    return Value::number(parseIntText(text->view(), radix.isUndefined() ? 0 : cx.toInt32(radix)));
}

Value parseFloatFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::number(parseFloatText(cx.toString(arg(args, 0))->view()));
}

Value isNaNFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::boolean(std::isnan(cx.toNumber(arg(args, 0))));
}

Value isFiniteFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::boolean(std::isfinite(cx.toNumber(arg(args, 0))));
}

Value escapeFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return cx.stringValue(escapeText(cx.toString(arg(args, 0))->view(), cx.version()));
}

Value unescapeFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return cx.stringValue(unescapeText(cx.toString(arg(args, 0))->view(), cx.version()));
}

// int(x): the number cut to a 32-bit integer, as the ToInteger action of Flash 4 scripts did.
Value intFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::number(cx.toInt32(arg(args, 0)));
}

Value chrFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    // Codes above 127 are Latin-1 characters.
    return cx.stringValue(codePointToUtf8(toUint32(cx.toNumber(arg(args, 0))) & 0xFF));
}

Value mbchrFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return cx.stringValue(codePointToUtf8(toUint32(cx.toNumber(arg(args, 0))) & 0xFFFF));
}

Value ordFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    const std::string_view s = cx.toString(arg(args, 0))->view();
    return Value::number(s.empty() ? 0.0 : static_cast<unsigned char>(s[0]));
}

Value mbordFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::number(firstCodePoint(cx.toString(arg(args, 0))->view()));
}

Value lengthFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::number(static_cast<double>(cx.toString(arg(args, 0))->size()));
}

Value mblengthFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return Value::number(static_cast<double>(characterCount(cx.toString(arg(args, 0))->view())));
}

// substring(text, index, count): count characters from the 1-based index (a negative count takes
// the rest), as StringExtract.
Value extract(CallContext& cx, std::span<const Value> args, bool characters) {
    String* text = cx.toString(arg(args, 0));
    Rooted keep(cx.heap(), Value::string(text));
    const double index = cx.toNumber(arg(args, 1));
    const double count = cx.toNumber(arg(args, 2));
    return cx.stringValue(extractText(text->view(), index, count, characters));
}

Value substringFunction(CallContext& cx, const Value&, std::span<const Value> args) { return extract(cx, args, false); }
Value mbsubstringFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    return extract(cx, args, true);
}

// random(n): an integer from 0 to n - 1 of the movie's random sequence; 0 for n below 1.
Value randomFunction(CallContext& cx, const Value&, std::span<const Value> args) {
    const double n = cx.toNumber(arg(args, 0));
    const double bound = std::isfinite(n) ? std::clamp(n, 0.0, 2147483647.0) : 0.0;
    return Value::number(cx.vm.movie().nextRandom(static_cast<uint32_t>(bound)));
}

Value getTimerFunction(CallContext& cx, const Value&, std::span<const Value>) {
    return Value::number(std::floor(cx.vm.movie().elapsedMilliseconds()));
}

}  // namespace

void installGlobalFunctions(Vm& vm) {
    Object* g = vm.global();
    defineMethods(vm, g,
                  {{"parseInt", parseIntFunction, 2}, {"parseFloat", parseFloatFunction, 1},
                   {"isNaN", isNaNFunction, 1}, {"isFinite", isFiniteFunction, 1}, {"escape", escapeFunction, 1},
                   {"unescape", unescapeFunction, 1}, {"int", intFunction, 1}, {"chr", chrFunction, 1},
                   {"mbchr", mbchrFunction, 1}, {"ord", ordFunction, 1}, {"mbord", mbordFunction, 1},
                   {"length", lengthFunction, 1}, {"mblength", mblengthFunction, 1},
                   {"substring", substringFunction, 3}, {"mbsubstring", mbsubstringFunction, 3},
                   {"random", randomFunction, 1}, {"getTimer", getTimerFunction}});
    defineValue(vm, g, "NaN", Value::number(std::nan("")));
    defineValue(vm, g, "Infinity", Value::number(INFINITY));
}

}  // namespace velmora::swf::script
