// TextField.StyleSheet: named styles (tag names and .classes) read from CSS or set by script,
// which a field's styleSheet applies to the HTML text it is given.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/style_sheet_values.h"
#include "swf/runtime/script/file_loads.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

// CSS longer than this is no lesson's style sheet.
constexpr size_t kMaxCss = 1 << 20;
// Styles kept at most in one sheet.
constexpr size_t kMaxStyles = 4096;

std::string lowerAscii(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

// "font-family" as scripts name it: "fontFamily".
std::string camelCase(std::string_view property) {
    std::string out;
    bool upper = false;
    for (char c : property) {
        if (c == '-') {
            upper = !out.empty();
            continue;
        }
        out += upper ? char(std::toupper(static_cast<unsigned char>(c))) : char(std::tolower(static_cast<unsigned char>(c)));
        upper = false;
    }
    return out;
}

Object* stylesOf(CallContext& cx, const Value& self) {
    const Value v = cx.get(self, "_styles");
    return v.isObject() ? v.asObject() : nullptr;
}

void resetStyles(CallContext& cx, const Value& self) {
    if (Object* o = self.objectOrNull())
        o->put(cx.vm.key("_styles"), cx.vm.name("_styles"), Value::object(cx.newObject()), kDontEnum);
}

// A copy of style's enumerable properties.
Value copyStyle(CallContext& cx, const Value& style) {
    Rooted copy(cx.heap(), Value::object(cx.newObject()));
    for (const Value& key : cx.vm.enumerate(style)) {
        const std::string name = cx.toStdString(key);
        cx.set(copy.get(), name, cx.get(style, name));
    }
    return copy.get();
}

Value construct(CallContext& cx, const Value& self, std::span<const Value>) {
    if (self.isObject()) resetStyles(cx, self);
    return self;
}

// setStyle(name, style): a copy of style under name; a style that is no object removes name.
Value setStyle(CallContext& cx, const Value& self, std::span<const Value> args) {
    const std::string name = lowerAscii(cx.toStdString(arg(args, 0)));
    const Value style = arg(args, 1);
    Rooted copy(cx.heap(), style.isObject() ? copyStyle(cx, style) : Value::null());
    Object* styles = stylesOf(cx, self);
    if (!styles || name.empty()) return Value();
    if (copy.get().isObject() && styles->size() >= kMaxStyles) return Value();
    cx.set(Value::object(styles), name, copy.get());
    return Value();
}

Value getStyle(CallContext& cx, const Value& self, std::span<const Value> args) {
    const std::string name = lowerAscii(cx.toStdString(arg(args, 0)));
    Object* styles = stylesOf(cx, self);
    const Value style = styles ? cx.get(Value::object(styles), name) : Value::null();
    return style.isObject() ? copyStyle(cx, style) : Value::null();
}

Value getStyleNames(CallContext& cx, const Value& self, std::span<const Value>) {
    Rooted out(cx.heap(), Value::object(cx.newArray()));
    if (Object* styles = stylesOf(cx, self)) {
        for (const Value& key : cx.vm.enumerate(Value::object(styles)))
            if (cx.get(Value::object(styles), cx.toStdString(key)).isObject())
                out.get().asObject()->asArray()->elements().push_back(key);
    }
    return out.get();
}

Value clear(CallContext& cx, const Value& self, std::span<const Value>) {
    resetStyles(cx, self);
    return Value();
}

// parseCSS(text): "h1, .note { color: #FF0000; font-weight: bold }" rules added to the sheet;
// false, and nothing added, when the text is not such rules.
Value parseCSS(CallContext& cx, const Value& self, std::span<const Value> args) {
    const std::string css = cx.toStdString(arg(args, 0));
    if (css.size() > kMaxCss) return Value::boolean(false);
    std::vector<std::pair<std::vector<std::string>, std::vector<std::pair<std::string, std::string>>>> rules;
    size_t p = 0;
    std::string text;
    // Comments out first.
    for (size_t i = 0; i < css.size(); ++i) {
        if (css.compare(i, 2, "/*") == 0) {
            const size_t end = css.find("*/", i + 2);
            if (end == std::string::npos) break;
            i = end + 1;
            continue;
        }
        text += css[i];
    }
    while (p < text.size()) {
        const size_t open = text.find('{', p);
        if (open == std::string::npos) {
            if (!trimmed(std::string_view(text).substr(p)).empty()) return Value::boolean(false);
            break;
        }
        const size_t close = text.find('}', open);
        if (close == std::string::npos) return Value::boolean(false);
        std::vector<std::string> selectors;
        std::string_view list = std::string_view(text).substr(p, open - p);
        while (!list.empty()) {
            const size_t comma = list.find(',');
            const std::string one = lowerAscii(trimmed(list.substr(0, comma)));
            if (one.empty() || one.find_first_of("{};") != std::string::npos) return Value::boolean(false);
            selectors.push_back(one);
            list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        }
        if (selectors.empty()) return Value::boolean(false);
        std::vector<std::pair<std::string, std::string>> properties;
        std::string_view body = std::string_view(text).substr(open + 1, close - open - 1);
        while (!body.empty()) {
            const size_t semi = body.find(';');
            const std::string_view declaration = body.substr(0, semi);
            body = semi == std::string_view::npos ? std::string_view() : body.substr(semi + 1);
            if (trimmed(declaration).empty()) continue;
            const size_t colon = declaration.find(':');
            if (colon == std::string_view::npos) return Value::boolean(false);
            properties.emplace_back(camelCase(trimmed(declaration.substr(0, colon))), trimmed(declaration.substr(colon + 1)));
        }
        rules.emplace_back(std::move(selectors), std::move(properties));
        p = close + 1;
    }
    Object* styles = stylesOf(cx, self);
    if (!styles) return Value::boolean(false);
    for (const auto& [selectors, properties] : rules) {
        for (const std::string& selector : selectors) {
            if (styles->size() >= kMaxStyles) break;
            // A later rule for the same selector adds to the earlier one, as in CSS.
            Value style = cx.get(Value::object(styles), selector);
            if (!style.isObject()) {
                style = Value::object(cx.newObject());
                cx.set(Value::object(styles), selector, style);
            }
            for (const auto& [name, value] : properties) cx.set(style, name, cx.stringValue(value));
        }
    }
    return Value::boolean(true);
}

// The settings a style gives, as TextFormat names them, read once.
struct StyleSettings {
    CharFormatChange chars;
    std::optional<std::string> align;
    std::optional<double> leftMargin, rightMargin, indent, leading;
    TagStyle::Display display = TagStyle::Display::Default;

    // As a field's text takes it.
    TagStyle tagStyle() const {
        TagStyle t;
        t.chars = chars;
        if (align) {
            if (*align == "left") t.paragraph.align = EditTextCharacter::Align::Left;
            else if (*align == "right") t.paragraph.align = EditTextCharacter::Align::Right;
            else if (*align == "center") t.paragraph.align = EditTextCharacter::Align::Center;
            else if (*align == "justify") t.paragraph.align = EditTextCharacter::Align::Justify;
        }
        t.paragraph.leftMargin = leftMargin;
        t.paragraph.rightMargin = rightMargin;
        t.paragraph.indent = indent;
        t.paragraph.leading = leading;
        t.display = display;
        return t;
    }
};

std::optional<double> pixels(const std::string& value) {
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || !std::isfinite(v)) return std::nullopt;
    return v;
}

StyleSettings readStyle(CallContext& cx, const Value& style) {
    StyleSettings s;
    auto text = [&](const char* name) -> std::optional<std::string> {
        const Value v = cx.get(style, name);
        if (v.isNullish()) return std::nullopt;
        return trimmed(cx.toStdString(v));
    };
    if (auto v = text("color")) {
        std::string hex = *v;
        if (!hex.empty() && hex[0] == '#') hex.erase(0, 1);
        if (hex.size() == 6 && std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            s.chars.color = uint32_t(std::stoul(hex, nullptr, 16));
    }
    if (auto v = text("fontFamily")) {
        std::string face = v->substr(0, v->find(','));
        face.erase(std::remove(face.begin(), face.end(), '"'), face.end());
        face.erase(std::remove(face.begin(), face.end(), '\''), face.end());
        face = trimmed(face);
        if (face == "sans-serif") face = "_sans";
        else if (face == "serif") face = "_serif";
        else if (face == "monospace") face = "_typewriter";
        s.chars.face = face;
    }
    if (auto v = text("fontSize")) s.chars.size = pixels(*v);
    if (auto v = text("fontWeight")) s.chars.bold = lowerAscii(*v) == "bold";
    if (auto v = text("fontStyle")) s.chars.italic = lowerAscii(*v) == "italic";
    if (auto v = text("textDecoration")) s.chars.underline = lowerAscii(*v) == "underline";
    if (auto v = text("textAlign")) s.align = lowerAscii(*v);
    if (auto v = text("marginLeft")) s.leftMargin = pixels(*v);
    if (auto v = text("marginRight")) s.rightMargin = pixels(*v);
    if (auto v = text("textIndent")) s.indent = pixels(*v);
    if (auto v = text("leading")) s.leading = pixels(*v);
    if (auto v = text("letterSpacing")) s.chars.letterSpacing = pixels(*v);
    if (auto v = text("kerning")) s.chars.kerning = lowerAscii(*v) == "true";
    if (auto v = text("display")) {
        const std::string d = lowerAscii(*v);
        if (d == "block") s.display = TagStyle::Display::Block;
        else if (d == "inline") s.display = TagStyle::Display::Inline;
        else if (d == "none") s.display = TagStyle::Display::None;
    }
    return s;
}

// transform(style): the TextFormat the style stands for.
Value transform(CallContext& cx, const Value&, std::span<const Value> args) {
    const Value style = arg(args, 0);
    if (!style.isObject()) return Value::null();
    const StyleSettings s = readStyle(cx, style);
    Rooted format(cx.heap(), cx.vm.construct(cx.get(Value::object(cx.vm.global()), "TextFormat"), {}));
    const Value f = format.get();
    if (!f.isObject()) return Value::null();
    if (s.chars.face) cx.set(f, "font", cx.stringValue(*s.chars.face));
    if (s.chars.size) cx.set(f, "size", Value::number(*s.chars.size));
    if (s.chars.color) cx.set(f, "color", Value::number(*s.chars.color));
    if (s.chars.bold) cx.set(f, "bold", Value::boolean(*s.chars.bold));
    if (s.chars.italic) cx.set(f, "italic", Value::boolean(*s.chars.italic));
    if (s.chars.underline) cx.set(f, "underline", Value::boolean(*s.chars.underline));
    if (s.align) cx.set(f, "align", cx.stringValue(*s.align));
    if (s.leftMargin) cx.set(f, "leftMargin", Value::number(*s.leftMargin));
    if (s.rightMargin) cx.set(f, "rightMargin", Value::number(*s.rightMargin));
    if (s.indent) cx.set(f, "indent", Value::number(*s.indent));
    if (s.leading) cx.set(f, "leading", Value::number(*s.leading));
    return f;
}

// load(name): the CSS file name beside the movie, read between frames like the other files a
// movie asks for; its rules join the sheet's and onLoad hears whether they came.
Value load(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!self.objectOrNull() || args.empty()) return Value::boolean(false);
    const std::string name = cx.toStdString(args[0]);
    cx.vm.movie().fileLoads().request(FileLoads::Kind::Text, self, name);
    return Value::boolean(true);
}

// What a loaded file does: its CSS read into the sheet, then onLoad(true); onLoad(false) when the
// file did not come or is not CSS.
Value onData(CallContext& cx, const Value& self, std::span<const Value> args) {
    const Value text = arg(args, 0);
    const bool read = !text.isUndefined() && cx.toBoolean(parseCSS(cx, self, args));
    const Value ok = Value::boolean(read);
    cx.call(cx.get(self, "onLoad"), self, std::span<const Value>(&ok, 1));
    return Value();
}

Value nothing(CallContext&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

std::optional<TagStyles> fieldTagStyles(CallContext& cx, const Value& sheet) {
    if (!sheet.isObject()) return std::nullopt;
    Object* styles = stylesOf(cx, sheet);
    if (!styles) return std::nullopt;
    auto table = std::make_shared<std::map<std::string, TagStyle>>();
    for (const Value& key : cx.vm.enumerate(Value::object(styles))) {
        const std::string name = cx.toStdString(key);
        const Value style = cx.get(Value::object(styles), name);
        if (style.isObject()) (*table)[name] = readStyle(cx, style).tagStyle();
    }
    return TagStyles([table](std::string_view tag, std::string_view className) {
        TagStyle out;
        auto merge = [&](const std::string& key) {
            const auto it = table->find(key);
            if (it == table->end()) return;
            const TagStyle& t = it->second;
            const CharFormatChange& c = t.chars;
            CharFormatChange& change = out.chars;
            if (c.face) change.face = c.face;
            if (c.size) change.size = c.size;
            if (c.color) change.color = c.color;
            if (c.bold) change.bold = c.bold;
            if (c.italic) change.italic = c.italic;
            if (c.underline) change.underline = c.underline;
            if (c.url) change.url = c.url;
            if (c.letterSpacing) change.letterSpacing = c.letterSpacing;
            if (c.kerning) change.kerning = c.kerning;
            out.paragraph.merge(t.paragraph);
            if (t.display != TagStyle::Display::Default) out.display = t.display;
        };
        // The tag's style first, then its class's, which wins where both say something.
        merge(std::string(tag));
        if (!className.empty()) merge("." + lowerAscii(std::string(className)));
        return out;
    });
}

bool isStyleSheet(CallContext& cx, const Value& sheet) { return sheet.isObject() && stylesOf(cx, sheet) != nullptr; }

void installStyleSheet(Vm& vm, FunctionObject* textField) {
    Object* proto = vm.newObject();
    FunctionObject* sheet = makeNative(vm, construct);
    defineValue(vm, sheet, "prototype", Value::object(proto));
    defineValue(vm, proto, "constructor", Value::object(sheet));
    defineMethods(vm, proto,
                  {{"setStyle", setStyle, 2},
                   {"getStyle", getStyle, 1},
                   {"getStyleNames", getStyleNames},
                   {"clear", clear},
                   {"parseCSS", parseCSS, 1},
                   {"transform", transform, 1},
                   {"load", load, 1},
                   {"onData", onData, 1},
                   {"onLoad", nothing, 1}});
    defineValue(vm, textField, "StyleSheet", Value::object(sheet));
}

}  // namespace velmora::swf::script
