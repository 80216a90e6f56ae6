// String: the constructor and conversion function, String.fromCharCode, String.prototype.
//
// Text is UTF-8 in the engine; the methods count and cut characters (code points), so that no
// method ever splits one. Where the player and ECMAScript (3rd edition) differ the comments say
// which is followed.
#include <algorithm>
#include <cmath>
#include <optional>

#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/text_units.h"

namespace velmora::swf::script {

namespace {

String* thisText(CallContext& cx, const Value& self);

// A text with its character positions; pure ASCII (most scripts' text) needs no scanning.
class Characters {
public:
    explicit Characters(std::string_view text) { init(text); }
    // The text of a method's `this`, kept alive while the method converts its arguments (which
    // may run script, and so collect).
    Characters(CallContext& cx, const Value& self) {
        String* s = thisText(cx, self);
        root_.emplace(cx.heap(), Value::string(s));
        init(s->view());
    }
    String* string() const { return root_ ? root_->get().asString() : nullptr; }
    void init(std::string_view text) {
        text_ = text;
        ascii_ = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        count_ = ascii_ ? text.size() : characterCount(text);
    }
    size_t count() const { return count_; }
    size_t offset(size_t index) const {
        if (index >= count_) return text_.size();
        return ascii_ ? index : byteOffsetOfCharacter(text_, index);
    }
    // Characters [from, to); from <= to <= count().
    std::string_view slice(size_t from, size_t to) const {
        const size_t a = offset(from);
        return text_.substr(a, offset(to) - a);
    }
    uint32_t codeAt(size_t index) const {
        return ascii_ ? static_cast<unsigned char>(text_[index]) : firstCodePoint(text_.substr(offset(index)));
    }
    // The character index of a byte offset that starts a character.
    size_t indexOfOffset(size_t byteOffset) const {
        return ascii_ ? byteOffset : characterCount(text_.substr(0, byteOffset));
    }
    std::string_view text() const { return text_; }

private:
    std::optional<Rooted> root_;
    std::string_view text_;
    bool ascii_ = true;
    size_t count_ = 0;
};

Object* allocateString(Vm& vm, Object* proto) { return vm.heap().make<BoxedValue>(proto, "String"); }

// The text a method works on: the string itself, a String object's text, or anything else
// converted, as ECMAScript's generic String methods do.
String* thisText(CallContext& cx, const Value& self) {
    const Value p = primitiveOf(self, "String");
    if (p.isString()) return p.asString();
    return cx.toString(self);
}

// An index argument: ToInteger, and a missing one as `absent`.
double indexArg(CallContext& cx, std::span<const Value> args, size_t i, double absent) {
    if (i >= args.size() || args[i].isUndefined()) return absent;
    return toInteger(cx.toNumber(args[i]));
}

// A relative position (slice, substr): negative counts from the end; clamped to [0, count].
size_t relative(double position, size_t count) {
    const double n = static_cast<double>(count);
    if (position < 0) return static_cast<size_t>(std::max(0.0, n + position));
    return static_cast<size_t>(std::min(position, n));
}

size_t clampIndex(double position, size_t count) {
    return static_cast<size_t>(std::clamp(position, 0.0, static_cast<double>(count)));
}

Value stringConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    String* text = args.empty() ? cx.heap().intern("") : cx.toString(args[0]);
    if (!cx.constructing) return Value::string(text);
    if (auto* boxed = dynamic_cast<BoxedValue*>(self.objectOrNull())) {
        boxed->primitive = Value::string(text);
        boxed->put(cx.vm.names().length, cx.vm.names().length,
                   Value::number(static_cast<double>(Characters(text->view()).count())),
                   kDontEnum | kDontDelete | kReadOnly);
    }
    return self;
}

Value stringToString(CallContext&, const Value& self, std::span<const Value>) {
    const Value p = primitiveOf(self, "String");
    return p.isString() ? p : Value();
}

Value fromCharCode(CallContext& cx, const Value&, std::span<const Value> args) {
    std::string out;
    for (const Value& v : args) out += codePointToUtf8(toUint32(cx.toNumber(v)) & 0xFFFF);
    return cx.stringValue(std::move(out));
}

Value charAt(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    const double i = indexArg(cx, args, 0, 0);
    if (i < 0 || i >= static_cast<double>(text.count())) return Value::string(cx.vm.names().empty);
    const auto at = static_cast<size_t>(i);
    return cx.stringValue(std::string(text.slice(at, at + 1)));
}

Value charCodeAt(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    const double i = indexArg(cx, args, 0, 0);
    if (i < 0 || i >= static_cast<double>(text.count())) return Value::number(std::nan(""));
    return Value::number(text.codeAt(static_cast<size_t>(i)));
}

Value concat(CallContext& cx, const Value& self, std::span<const Value> args) {
    std::string out = thisText(cx, self)->text();
    for (const Value& v : args) {
        const std::string_view part = cx.toString(v)->view();
        if (out.size() + part.size() > cx.vm.limits().maxStringBytes) {
            throw LimitExceeded{"a script built a text longer than " + std::to_string(cx.vm.limits().maxStringBytes) +
                                " bytes"};
        }
        out += part;
    }
    return cx.stringValue(std::move(out));
}

Value indexOf(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    const std::string_view search = cx.toString(arg(args, 0))->view();
    const size_t start = clampIndex(indexArg(cx, args, 1, 0), text.count());
    const size_t at = text.text().find(search, text.offset(start));
    if (at == std::string_view::npos) return Value::number(-1);
    return Value::number(static_cast<double>(text.indexOfOffset(at)));
}

Value lastIndexOf(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    const std::string_view search = cx.toString(arg(args, 0))->view();
    // A missing or NaN start searches from the end.
    double startArg = static_cast<double>(text.count());
    if (args.size() > 1 && !args[1].isUndefined()) {
        const double n = cx.toNumber(args[1]);
        if (!std::isnan(n)) startArg = std::trunc(n);
    }
    const size_t start = clampIndex(startArg, text.count());
    const size_t at = text.text().rfind(search, text.offset(start));
    if (at == std::string_view::npos) return Value::number(-1);
    return Value::number(static_cast<double>(text.indexOfOffset(at)));
}

Value slice(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    const size_t from = relative(indexArg(cx, args, 0, 0), text.count());
    const size_t to = relative(indexArg(cx, args, 1, static_cast<double>(text.count())), text.count());
    if (from >= to) return Value::string(cx.vm.names().empty);
    return cx.stringValue(std::string(text.slice(from, to)));
}

// substring(start, end): both clamped to the text, swapped when start is past end.
Value substring(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    size_t from = clampIndex(indexArg(cx, args, 0, 0), text.count());
    size_t to = clampIndex(indexArg(cx, args, 1, static_cast<double>(text.count())), text.count());
    if (from > to) std::swap(from, to);
    return cx.stringValue(std::string(text.slice(from, to)));
}

// substr(start, length): a negative start counts from the end; a missing length takes the rest,
// a length of 0 or less gives "".
Value substr(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    const size_t from = relative(indexArg(cx, args, 0, 0), text.count());
    const double length = indexArg(cx, args, 1, static_cast<double>(text.count()));
    if (length <= 0) return Value::string(cx.vm.names().empty);
    const size_t to = from + static_cast<size_t>(std::min(length, static_cast<double>(text.count() - from)));
    return cx.stringValue(std::string(text.slice(from, to)));
}

// split(delimiter, limit): no delimiter gives the whole text as one element; an empty one splits
// every character.
Value split(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Characters text(cx, self);
    uint32_t limit = 0xFFFFFFFFu;
    if (args.size() > 1 && !args[1].isUndefined()) limit = toUint32(cx.toNumber(args[1]));
    ArrayObject* out = cx.newArray();
    if (limit == 0) return Value::object(out);
    auto& elements = out->elements();
    if (args.empty() || args[0].isUndefined()) {
        elements.push_back(Value::string(text.string()));
        return Value::object(out);
    }
    // The delimiter's conversion may run script; out is reachable from nowhere until we return.
    Rooted keep(cx.heap(), Value::object(out));
    const std::string delimiter = cx.toString(args[0])->text();
    const std::string_view view = text.text();
    if (delimiter.empty()) {
        for (size_t i = 0; i < text.count() && elements.size() < limit; ++i) {
            elements.push_back(cx.stringValue(std::string(text.slice(i, i + 1))));
        }
    } else {
        size_t from = 0;
        while (elements.size() < limit) {
            const size_t at = view.find(delimiter, from);
            if (at == std::string_view::npos) {
                elements.push_back(cx.stringValue(std::string(view.substr(from))));
                break;
            }
            elements.push_back(cx.stringValue(std::string(view.substr(from, at - from))));
            from = at + delimiter.size();
        }
    }
    cx.heap().account(out);
    return Value::object(out);
}

// Case mapping of the alphabets lesson text uses: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic. Other scripts have no case, or are left as they are.
uint32_t toUpper(uint32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Pairs: even upper, odd lower, except 0x139..0x148 and 0x179..0x17E which pair odd-even.
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool isLower = oddUpper ? (c % 2 == 0) : (c % 2 == 1);
        return isLower ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    return c;
}

uint32_t toLower(uint32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c == 0x178) return 0xFF;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool isUpper = oddUpper ? (c % 2 == 1) : (c % 2 == 0);
        return isUpper ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

Value mapCase(CallContext& cx, const Value& self, uint32_t (*map)(uint32_t)) {
    const Characters text(cx, self);
    std::string out;
    out.reserve(text.text().size());
    for (size_t i = 0, at = 0; i < text.count(); ++i) {
        const size_t next = text.offset(i + 1);
        const std::string_view one = text.text().substr(at, next - at);
        const uint32_t c = firstCodePoint(one);
        const uint32_t mapped = map(c);
        if (mapped == c) out += one;  // also keeps stray bytes as they are
        else out += codePointToUtf8(mapped);
        at = next;
    }
    return cx.stringValue(std::move(out));
}

Value toUpperCase(CallContext& cx, const Value& self, std::span<const Value>) { return mapCase(cx, self, toUpper); }
Value toLowerCase(CallContext& cx, const Value& self, std::span<const Value>) { return mapCase(cx, self, toLower); }

}  // namespace

void installString(Vm& vm) {
    Object* proto = vm.realm().stringPrototype;
    FunctionObject* ctor = defineConstructor(vm, "String", stringConstruct, proto, allocateString, 1);
    vm.realm().stringConstructor = ctor;
    defineNative(vm, ctor, "fromCharCode", fromCharCode, 1);
    defineMethods(vm, proto,
                  {{"toString", stringToString}, {"valueOf", stringToString}, {"charAt", charAt, 1},
                   {"charCodeAt", charCodeAt, 1}, {"concat", concat, 1}, {"indexOf", indexOf, 1},
                   {"lastIndexOf", lastIndexOf, 1}, {"slice", slice, 2}, {"substring", substring, 2},
                   {"substr", substr, 2}, {"split", split, 2}, {"toUpperCase", toUpperCase},
                   {"toLowerCase", toLowerCase}});
}

}  // namespace velmora::swf::script
