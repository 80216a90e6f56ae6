// Array: the constructor, its sort flags, Array.prototype.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "swf/runtime/script/builtins/library_classes.h"

namespace velmora::swf::script {

namespace {

// The option bits of sort and sortOn.
enum SortFlags : int {
    kCaseInsensitive = 1,
    kDescending = 2,
    kUniqueSort = 4,
    kReturnIndexedArray = 8,
    kNumeric = 16,
};

[[noreturn]] void tooLong(const Vm& vm) {
    throw LimitExceeded{"an array grew past " + std::to_string(vm.limits().maxArrayLength) + " elements"};
}

void ensureRoom(const Vm& vm, size_t size, size_t more) {
    if (more > vm.limits().maxArrayLength || size > vm.limits().maxArrayLength - more) tooLong(vm);
}

Object* allocateArray(Vm& vm, Object* proto) { return vm.heap().make<ArrayObject>(proto); }

// A relative position (slice, splice): negative counts from the end; clamped to [0, size].
size_t relative(double position, size_t size) {
    const double n = static_cast<double>(size);
    if (std::isnan(position)) return 0;
    if (position < 0) return static_cast<size_t>(std::max(0.0, n + std::trunc(position)));
    return static_cast<size_t>(std::min(std::trunc(position), n));
}

// new Array(), new Array(length), new Array(a, b, ...); the same called as a function.
Value arrayConstruct(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = cx.constructing ? CallContext::thisArray(self) : nullptr;
    if (!a) a = cx.newArray();
    if (args.size() == 1 && args[0].isNumber()) {
        const double n = args[0].asNumber();
        if (n >= 0 && n == std::floor(n)) {
            if (n > static_cast<double>(cx.vm.limits().maxArrayLength)) tooLong(cx.vm);
            a->elements().resize(static_cast<size_t>(n));
            cx.heap().account(a);
            return Value::object(a);
        }
        // Not a length: the number is the one element.
    }
    ensureRoom(cx.vm, 0, args.size());
    a->elements().assign(args.begin(), args.end());
    cx.heap().account(a);
    return Value::object(a);
}

// Appends v's text to out: numbers and strings without going through the heap.
void appendText(CallContext& cx, std::string& out, const Value& v) {
    if (v.isString()) out += v.asString()->view();
    else if (v.isNumber()) out += numberToString(v.asNumber());
    else out += cx.toString(v)->view();
}

Value join(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    const Value sepArg = arg(args, 0);
    const std::string separator = sepArg.isUndefined() ? std::string(",") : cx.toString(sepArg)->text();
    std::string out;
    const size_t limit = cx.vm.limits().maxStringBytes;
    // An element's toString may change the array: read it afresh at every step.
    for (size_t i = 0; i < a->elements().size(); ++i) {
        if (i > 0) out += separator;
        appendText(cx, out, a->elements()[i]);
        if (out.size() > limit) {
            throw LimitExceeded{"a script built a text longer than " + std::to_string(limit) + " bytes"};
        }
    }
    return cx.stringValue(std::move(out));
}

Value arrayToString(CallContext& cx, const Value& self, std::span<const Value>) { return join(cx, self, {}); }

Value push(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    ensureRoom(cx.vm, a->elements().size(), args.size());
    a->elements().insert(a->elements().end(), args.begin(), args.end());
    cx.heap().account(a);
    return Value::number(static_cast<double>(a->elements().size()));
}

Value pop(CallContext&, const Value& self, std::span<const Value>) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a || a->elements().empty()) return Value();
    const Value last = a->elements().back();
    a->elements().pop_back();
    return last;
}

Value shift(CallContext&, const Value& self, std::span<const Value>) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a || a->elements().empty()) return Value();
    const Value first = a->elements().front();
    a->elements().erase(a->elements().begin());
    return first;
}

Value unshift(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    ensureRoom(cx.vm, a->elements().size(), args.size());
    a->elements().insert(a->elements().begin(), args.begin(), args.end());
    cx.heap().account(a);
    return Value::number(static_cast<double>(a->elements().size()));
}

Value reverse(CallContext&, const Value& self, std::span<const Value>) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    std::reverse(a->elements().begin(), a->elements().end());
    return self;
}

// concat(...): arrays among the arguments add their elements (one level deep), others themselves.
Value concat(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    ArrayObject* out = cx.newArray();
    std::vector<Value>& e = out->elements();
    e = a->elements();
    for (const Value& v : args) {
        if (ArrayObject* other = CallContext::thisArray(v)) {
            ensureRoom(cx.vm, e.size(), other->elements().size());
            e.insert(e.end(), other->elements().begin(), other->elements().end());
        } else {
            ensureRoom(cx.vm, e.size(), 1);
            e.push_back(v);
        }
    }
    cx.heap().account(out);
    return Value::object(out);
}

Value slice(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    const double startArg = args.empty() ? 0 : cx.toNumber(args[0]);
    const double endArg = args.size() < 2 || args[1].isUndefined() ? INFINITY : cx.toNumber(args[1]);
    // The conversions may have run script that changed the array.
    const size_t size = a->elements().size();
    const size_t from = relative(startArg, size), to = relative(endArg, size);
    ArrayObject* out = cx.newArray();
    if (from < to) out->elements().assign(a->elements().begin() + from, a->elements().begin() + to);
    cx.heap().account(out);
    return Value::object(out);
}

// splice(start, deleteCount, items...): removes deleteCount elements from start (all the rest
// when deleteCount is missing) and puts items there. Returns the removed elements.
Value splice(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    if (args.empty()) return Value();
    const double startArg = cx.toNumber(args[0]);
    const std::optional<double> countArg =
        args.size() > 1 ? std::optional<double>(toInteger(cx.toNumber(args[1]))) : std::nullopt;
    std::vector<Value>& e = a->elements();
    const size_t start = relative(startArg, e.size());
    const size_t available = e.size() - start;
    size_t count = available;
    if (countArg) count = static_cast<size_t>(std::clamp(*countArg, 0.0, static_cast<double>(available)));
    const std::span<const Value> items = args.size() > 2 ? args.subspan(2) : std::span<const Value>();
    ensureRoom(cx.vm, e.size() - count, items.size());
    ArrayObject* removed = cx.newArray();
    removed->elements().assign(e.begin() + start, e.begin() + start + count);
    e.erase(e.begin() + start, e.begin() + start + count);
    e.insert(e.begin() + start, items.begin(), items.end());
    cx.heap().account(a);
    cx.heap().account(removed);
    return Value::object(removed);
}

// --- sorting ---

// A stable bottom-up merge sort of indices. compare(a, b) < 0 puts a first. It never reads out
// of bounds, whatever compare answers: a script's compare function may be inconsistent.
template <typename Compare>
void mergeSort(std::vector<uint32_t>& order, Compare compare) {
    const size_t n = order.size();
    std::vector<uint32_t> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            if (mid < hi && compare(order[mid - 1], order[mid]) <= 0) {
                std::copy(order.begin() + lo, order.begin() + hi, buffer.begin() + lo);  // already in order
                continue;
            }
            while (i < mid && j < hi) buffer[k++] = compare(order[j], order[i]) < 0 ? order[j++] : order[i++];
            while (i < mid) buffer[k++] = order[i++];
            while (j < hi) buffer[k++] = order[j++];
        }
        order.swap(buffer);
    }
}

// What one sort field compares: a number, or text (folded to lowercase for CASEINSENSITIVE).
struct Keys {
    int flags = 0;
    std::vector<double> numbers;
    std::vector<std::string> texts;
};

std::string foldCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return text;
}

// Reads the keys of one field of every element up front: conversions may run script (valueOf,
// toString, getters), which must not happen in the middle of the sort.
Keys readKeys(CallContext& cx, const std::vector<Value>& elements, String* field, int flags) {
    Keys keys;
    keys.flags = flags;
    const size_t n = elements.size();
    if (flags & kNumeric) keys.numbers.resize(n);
    else keys.texts.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const Value v = field ? cx.vm.getMember(elements[i], field) : elements[i];
        if (flags & kNumeric) {
            keys.numbers[i] = cx.toNumber(v);
        } else {
            std::string text;
            appendText(cx, text, v);
            keys.texts[i] = (flags & kCaseInsensitive) ? foldCase(std::move(text)) : std::move(text);
        }
    }
    return keys;
}

int compareKeys(const Keys& keys, uint32_t a, uint32_t b) {
    int c;
    if (keys.flags & kNumeric) {
        const double x = keys.numbers[a], y = keys.numbers[b];
        // NaN (and whatever did not read as a number) goes after every number.
        if (std::isnan(x) || std::isnan(y)) c = std::isnan(x) - std::isnan(y);
        else c = x < y ? -1 : x > y ? 1 : 0;
    } else {
        c = keys.texts[a].compare(keys.texts[b]);
        c = c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    return (keys.flags & kDescending) ? -c : c;
}

// Sorts a's elements by compare and applies the flags of the whole sort (UNIQUESORT,
// RETURNINDEXEDARRAY). elements is a rooted copy of a's elements.
template <typename Compare>
Value finishSort(CallContext& cx, ArrayObject* a, const Value& self, const std::vector<Value>& elements, int flags,
                 Compare compare) {
    std::vector<uint32_t> order(elements.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
    mergeSort(order, compare);
    if (flags & kUniqueSort) {
        // Equal elements end up side by side: any such pair refuses the sort, changing nothing.
        for (size_t i = 1; i < order.size(); ++i) {
            if (compare(order[i - 1], order[i]) == 0) return Value::number(0);
        }
    }
    if (flags & kReturnIndexedArray) {
        ArrayObject* out = cx.newArray();
        out->elements().reserve(order.size());
        for (uint32_t i : order) out->elements().push_back(Value::number(i));
        cx.heap().account(out);
        return Value::object(out);
    }
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (uint32_t i : order) sorted.push_back(elements[i]);
    a->elements() = std::move(sorted);
    cx.heap().account(a);
    return self;
}

// The elements to sort, copied into an array of their own that stays rooted while scripts run.
struct SortCopy {
    SortCopy(CallContext& cx, ArrayObject* a) : array(cx.newArray()), root(cx.heap(), Value::object(array)) {
        array->elements() = a->elements();
        cx.heap().account(array);
    }
    const std::vector<Value>& elements() const { return array->elements(); }
    ArrayObject* array;
    Rooted root;
};

int flagsOf(CallContext& cx, const Value& v) { return v.isUndefined() ? 0 : static_cast<int>(cx.toInt32(v)); }

// sort(), sort(flags), sort(compareFunction), sort(compareFunction, flags).
Value sort(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a) return Value();
    Value compareFn;
    int flags = 0;
    if (!args.empty() && args[0].isObject() && args[0].asObject()->asFunction()) {
        compareFn = args[0];
        flags = flagsOf(cx, arg(args, 1));
    } else {
        flags = flagsOf(cx, arg(args, 0));
    }
    const SortCopy copy(cx, a);
    const std::vector<Value>& elements = copy.elements();
    if (compareFn.isObject()) {
        const bool descending = flags & kDescending;
        return finishSort(cx, a, self, elements, flags, [&](uint32_t x, uint32_t y) {
            const Value pair[2] = {elements[x], elements[y]};
            const double r = cx.toNumber(cx.call(compareFn, Value(), pair));
            const int c = r < 0 ? -1 : r > 0 ? 1 : 0;  // NaN: equal
            return descending ? -c : c;
        });
    }
    const Keys keys = readKeys(cx, elements, nullptr, flags);
    return finishSort(cx, a, self, elements, flags, [&](uint32_t x, uint32_t y) { return compareKeys(keys, x, y); });
}

// sortOn(field, flags) or sortOn([field, ...], flags or [flags, ...]): sorts objects by the
// value of a field, later fields breaking ties of earlier ones.
Value sortOn(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* a = CallContext::thisArray(self);
    if (!a || args.empty()) return Value();
    // The field keys, kept alive in an array of their own while getters and conversions run.
    ArrayObject* fieldKeys = cx.newArray();
    Rooted keepFields(cx.heap(), Value::object(fieldKeys));
    std::vector<String*> fields;
    auto addField = [&](const Value& name) {
        fields.push_back(cx.vm.key(cx.toString(name)));
        fieldKeys->elements().push_back(Value::string(fields.back()));
    };
    if (ArrayObject* names = CallContext::thisArray(args[0])) {
        for (size_t i = 0; i < names->elements().size(); ++i) addField(names->elements()[i]);
    } else {
        addField(args[0]);
    }
    if (fields.empty()) return self;
    std::vector<int> fieldFlags(fields.size(), 0);
    int flags = 0;
    if (ArrayObject* options = CallContext::thisArray(arg(args, 1))) {
        // One option per field; only when the counts agree, else the options are ignored.
        if (options->elements().size() == fields.size()) {
            for (size_t i = 0; i < fields.size(); ++i) fieldFlags[i] = flagsOf(cx, options->elements()[i]);
        }
        flags = fieldFlags[0];
    } else {
        flags = flagsOf(cx, arg(args, 1));
        std::fill(fieldFlags.begin(), fieldFlags.end(), flags);
    }
    const SortCopy copy(cx, a);
    std::vector<Keys> keys;
    keys.reserve(fields.size());
    for (size_t f = 0; f < fields.size(); ++f) keys.push_back(readKeys(cx, copy.elements(), fields[f], fieldFlags[f]));
    return finishSort(cx, a, self, copy.elements(), flags, [&](uint32_t x, uint32_t y) {
        for (const Keys& k : keys) {
            if (const int c = compareKeys(k, x, y)) return c;
        }
        return 0;
    });
}

}  // namespace

void installArray(Vm& vm) {
    Object* proto = vm.realm().arrayPrototype;
    FunctionObject* ctor = defineConstructor(vm, "Array", arrayConstruct, proto, allocateArray, 1);
    constexpr uint8_t kConstant = kDontEnum | kDontDelete | kReadOnly;
    for (const auto& [name, value] : {std::pair{"CASEINSENSITIVE", kCaseInsensitive}, {"DESCENDING", kDescending},
                                      {"UNIQUESORT", kUniqueSort}, {"RETURNINDEXEDARRAY", kReturnIndexedArray},
                                      {"NUMERIC", kNumeric}}) {
        defineValue(vm, ctor, name, Value::number(value), kConstant);
    }
    defineMethods(vm, proto,
                  {{"toString", arrayToString}, {"join", join, 1}, {"push", push, 1}, {"pop", pop},
                   {"shift", shift}, {"unshift", unshift, 1}, {"reverse", reverse}, {"concat", concat, 1},
                   {"slice", slice, 2}, {"splice", splice, 2}, {"sort", sort, 1}, {"sortOn", sortOn, 2}});
}

}  // namespace velmora::swf::script
