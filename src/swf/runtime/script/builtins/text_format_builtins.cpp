// TextFormat: a plain object of look settings (font, size, color, bold, ..., url) that text
// fields give out and take, and its getTextExtent, which measures text as a field would lay it
// out.
#include <algorithm>
#include <array>
#include <cmath>

#include "swf/format/font.h"
#include "swf/format/text_encoding.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/builtins/style_sheet_values.h"
#include "swf/runtime/script/builtins/text_format_values.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/text_field_settings.h"
#include "swf/runtime/text_runs.h"

namespace velmora::swf::script {

namespace {

// The constructor's arguments, in order.
constexpr std::array<const char*, 13> kArguments = {"font",  "size",      "color",       "bold",   "italic",
                                                    "underline", "url",   "target",      "align",  "leftMargin",
                                                    "rightMargin", "indent", "leading"};
// Every setting, null until set.
constexpr std::array<const char*, 16> kSettings = {"font",       "size",        "color",   "bold",    "italic",
                                                   "underline",  "url",         "target",  "align",   "leftMargin",
                                                   "rightMargin", "indent",     "leading", "blockIndent", "bullet",
                                                   "tabStops"};

Value construct(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (!self.isObject()) return Value();
    for (size_t i = 0; i < kSettings.size(); ++i) cx.set(self, kSettings[i], Value::null());
    for (size_t i = 0; i < kArguments.size() && i < args.size(); ++i) cx.set(self, kArguments[i], args[i]);
    return self;
}

const char* alignName(EditTextCharacter::Align align) {
    switch (align) {
    case EditTextCharacter::Align::Right: return "right";
    case EditTextCharacter::Align::Center: return "center";
    case EditTextCharacter::Align::Justify: return "justify";
    default: return "left";
    }
}

}  // namespace

std::string fieldFaceName(const Movie& definitions, const EditTextCharacter& s) {
    if (!s.face.empty()) return s.face;
    if (s.fontId) {
        if (const Character* c = definitions.character(*s.fontId); c && c->kind == CharacterKind::Font) {
            std::string name = toUtf8(static_cast<const FontCharacter*>(c)->name, definitions.version);
            while (!name.empty() && name.back() == '\0') name.pop_back();
            if (!name.empty()) return name;
        }
    }
    return "Times New Roman";
}

namespace {

// A setting in pixels as twips of a field's unsigned 16-bit layout values.
uint16_t layoutTwips(double pixels) { return static_cast<uint16_t>(std::clamp(std::round(pixels * 20.0), 0.0, 65535.0)); }

// getTextExtent(text [, width]): the size text takes in this format, as a field lays it out
// (wrapped at width pixels when given).
Value getTextExtent(CallContext& cx, const Value& self, std::span<const Value> args) {
    MovieInstance& movie = cx.vm.movie();
    const std::string text = cx.toStdString(arg(args, 0));
    auto settings = std::make_shared<EditTextCharacter>(0);
    const Value size = cx.get(self, "size");
    settings->fontHeight = static_cast<uint16_t>(
        std::clamp(std::round((size.isNullish() ? 12.0 : cx.toNumber(size)) * 20.0), 20.0, 20000.0));
    if (!std::isfinite(double(settings->fontHeight))) settings->fontHeight = 240;
    const Value font = cx.get(self, "font");
    if (!font.isNullish()) settings->face = cx.toStdString(font);
    settings->bold = cx.toBoolean(cx.get(self, "bold"));
    settings->italic = cx.toBoolean(cx.get(self, "italic"));
    const double width = args.size() > 1 ? cx.toNumber(args[1]) : NAN;
    settings->wordWrap = std::isfinite(width) && width > 0;
    settings->bounds = {0, settings->wordWrap ? int32_t(std::min(width, 1e6) * 20.0) + 80 : 1 << 27, 0, 1 << 27};
    DisplayObject probe;
    probe.character = settings;
    probe.text = text;
    const TextFieldLayout layout = measureField(movie, probe);
    const double w = std::round(layout.textWidth / 20.0);
    const double h = std::round(layout.textHeight / 20.0);
    Rooted out(cx.heap(), Value::object(cx.newObject()));
    cx.set(out.get(), "width", Value::number(w));
    cx.set(out.get(), "height", Value::number(h));
    cx.set(out.get(), "ascent", Value::number(std::round(settings->fontHeight / 20.0 * 0.9)));
    cx.set(out.get(), "descent", Value::number(std::round(settings->fontHeight / 20.0 * 0.25)));
    cx.set(out.get(), "textFieldWidth", Value::number(w + 4));
    cx.set(out.get(), "textFieldHeight", Value::number(h + 4));
    return out.get();
}

}  // namespace

Value textFormatOfField(CallContext& cx, const DisplayObject& field, const Movie& definitions) {
    const Value ctor = cx.get(Value::object(cx.vm.global()), "TextFormat");
    Rooted format(cx.heap(), cx.vm.construct(ctor, {}));
    if (!format.get().isObject()) return Value();
    const EditTextCharacter& s = fieldSettings(field);
    const Value f = format.get();
    cx.set(f, "font", cx.stringValue(fieldFaceName(definitions, s)));
    cx.set(f, "size", Value::number(s.fontHeight / 20.0));
    const Rgba c = s.textColor.value_or(Rgba{0, 0, 0, 255});
    cx.set(f, "color", Value::number(double((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b)));
    cx.set(f, "bold", Value::boolean(s.bold));
    cx.set(f, "italic", Value::boolean(s.italic));
    cx.set(f, "underline", Value::boolean(s.underline));
    cx.set(f, "url", cx.stringValue(""));
    cx.set(f, "target", cx.stringValue(""));
    cx.set(f, "align", cx.stringValue(alignName(s.align)));
    cx.set(f, "leftMargin", Value::number(s.leftMargin / 20.0));
    cx.set(f, "rightMargin", Value::number(s.rightMargin / 20.0));
    cx.set(f, "indent", Value::number(s.indent / 20.0));
    cx.set(f, "leading", Value::number(s.leading / 20.0));
    cx.set(f, "blockIndent", Value::number(0));
    cx.set(f, "bullet", Value::boolean(false));
    cx.set(f, "tabStops", Value::object(cx.newArray()));
    return f;
}

void applyTextFormat(CallContext& cx, TextFieldObject& object, const Value& format, bool paragraphOnly) {
    // Everything is read (and converted) before the field is touched: a getter or valueOf may
    // run a script.
    auto read = [&](const char* name) { return cx.get(format, name); };
    const Value font = read("font"), size = read("size"), color = read("color"), bold = read("bold"),
                italic = read("italic"), underline = read("underline"), align = read("align"),
                left = read("leftMargin"), right = read("rightMargin"), indent = read("indent"),
                leading = read("leading");
    const std::string face = font.isNullish() ? std::string() : cx.toStdString(font);
    const double sizePx = size.isNullish() ? NAN : cx.toNumber(size);
    const auto rgb = static_cast<uint32_t>(cx.toInt32(color));
    std::string alignText = align.isNullish() ? std::string() : cx.toStdString(align);
    const double leftPx = left.isNullish() ? NAN : cx.toNumber(left);
    const double rightPx = right.isNullish() ? NAN : cx.toNumber(right);
    const double indentPx = indent.isNullish() ? NAN : cx.toNumber(indent);
    const double leadingPx = leading.isNullish() ? NAN : cx.toNumber(leading);
    const bool boldOn = cx.toBoolean(bold), italicOn = cx.toBoolean(italic), underlineOn = cx.toBoolean(underline);
    for (const char* name : {"url", "target"}) {
        if (paragraphOnly && name[0] == 'u') continue;  // runs keep their link
        const Value v = read(name);
        if (!v.isNullish() && !cx.toStdString(v).empty()) cx.unsupported(std::string("TextFormat.") + name);
    }
    if (cx.toBoolean(read("bullet"))) cx.unsupported("TextFormat.bullet");
    if (CallContext::thisArray(read("tabStops"))) cx.unsupported("TextFormat.tabStops");
    const Value block = read("blockIndent");
    if (!block.isNullish() && cx.toNumber(block) != 0) cx.unsupported("TextFormat.blockIndent");

    DisplayObject* field = object.field();
    if (!field) return;
    MovieInstance& movie = cx.vm.movie();
    changeFieldSettings(movie, *field, [&](EditTextCharacter& s) {
        if (!paragraphOnly) {
            if (!font.isNullish()) s.face = face;
            if (std::isfinite(sizePx)) s.fontHeight = static_cast<uint16_t>(std::clamp(std::round(sizePx * 20.0), 20.0, 20000.0));
            if (!color.isNullish()) s.textColor = Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
            if (!bold.isNullish()) s.bold = boldOn;
            if (!italic.isNullish()) s.italic = italicOn;
            if (!underline.isNullish()) s.underline = underlineOn;
        }
        std::transform(alignText.begin(), alignText.end(), alignText.begin(),
                       [](unsigned char ch) { return char(std::tolower(ch)); });
        if (alignText == "left") s.align = EditTextCharacter::Align::Left;
        else if (alignText == "right") s.align = EditTextCharacter::Align::Right;
        else if (alignText == "center") s.align = EditTextCharacter::Align::Center;
        else if (alignText == "justify") s.align = EditTextCharacter::Align::Justify;
        if (std::isfinite(leftPx)) s.leftMargin = layoutTwips(leftPx);
        if (std::isfinite(rightPx)) s.rightMargin = layoutTwips(rightPx);
        if (std::isfinite(indentPx)) s.indent = layoutTwips(indentPx);
        if (std::isfinite(leadingPx))
            s.leading = static_cast<int16_t>(std::clamp(std::round(leadingPx * 20.0), -32768.0, 32767.0));
    });
    fitAutoSize(movie, *field);
}

namespace {

// A script's range index: NaN as 0, held to the text.
int32_t rangeIndex(double v, int32_t length) {
    if (std::isnan(v)) return 0;
    return static_cast<int32_t>(std::clamp(std::floor(v), 0.0, double(length)));
}

// The character settings a TextFormat sets; read (and converted) before any field is touched.
CharFormatChange readCharFormatChange(CallContext& cx, const Value& format) {
    CharFormatChange change;
    auto read = [&](const char* name) { return cx.get(format, name); };
    if (const Value v = read("font"); !v.isNullish()) change.face = cx.toStdString(v);
    if (const Value v = read("size"); !v.isNullish()) {
        const double px = cx.toNumber(v);
        if (std::isfinite(px)) change.size = px;
    }
    if (const Value v = read("color"); !v.isNullish()) change.color = static_cast<uint32_t>(cx.toInt32(v)) & 0xFFFFFF;
    if (const Value v = read("bold"); !v.isNullish()) change.bold = cx.toBoolean(v);
    if (const Value v = read("italic"); !v.isNullish()) change.italic = cx.toBoolean(v);
    if (const Value v = read("underline"); !v.isNullish()) change.underline = cx.toBoolean(v);
    if (const Value v = read("url"); !v.isNullish()) change.url = cx.toStdString(v);
    if (const Value v = read("kerning"); !v.isNullish()) change.kerning = cx.toBoolean(v);
    return change;
}

TextFieldObject* formatTarget(const Value& self) {
    return dynamic_cast<TextFieldObject*>(self.objectOrNull());
}

}  // namespace

Value fieldSetTextFormat(CallContext& cx, const Value& self, std::span<const Value> args) {
    TextFieldObject* object = formatTarget(self);
    if (!object || !object->field() || args.empty()) return Value();
    const Value format = args.back();
    if (!format.isObject()) return Value();
    // A style sheet decides how the field's text looks: formats given besides are not taken.
    if (isStyleSheet(cx, cx.get(self, "styleSheet"))) return Value();
    if (!object->field()) return Value();
    MovieInstance& movie = cx.vm.movie();
    const double begin = args.size() > 1 ? cx.toNumber(args[0]) : 0.0;
    const double end = args.size() > 2 ? cx.toNumber(args[1]) : args.size() > 1 ? begin + 1 : INFINITY;
    const CharFormatChange change = readCharFormatChange(cx, format);
    DisplayObject* f = object->field();  // the conversions may have run scripts
    if (!f) return Value();
    const bool runs = f->textState && f->textState->formattedRuns;
    const int32_t length = utf16Length(fieldPlainText(movie, *f));
    // The whole text of a field not kept as runs: its own settings, as they always were. Kerning
    // is no setting of the field's: turned on, the text is kept as runs that carry it.
    if (!runs && begin <= 0 && end >= length && !change.kerning.value_or(false)) {
        applyTextFormat(cx, *object, format);
        return Value();
    }
    applyTextFormat(cx, *object, format, true);
    if (!(f = object->field())) return Value();
    FormattedText text = fieldFormattedText(movie, *f);
    const auto size = static_cast<int32_t>(std::min<size_t>(text.formats.size(), INT32_MAX));
    const int32_t from = rangeIndex(begin, size), to = std::isnan(end) ? from : rangeIndex(end, size);
    if (from >= to) return Value();
    for (int32_t i = from; i < to; ++i) change.applyTo(text.formats[size_t(i)]);
    setFieldFormattedText(movie, *f, text);
    fitAutoSize(movie, *f);
    return Value();
}

Value fieldGetTextFormat(CallContext& cx, const Value& self, std::span<const Value> args) {
    TextFieldObject* object = formatTarget(self);
    if (!object || !object->field()) return Value();
    const double begin = args.empty() ? 0.0 : cx.toNumber(args[0]);
    const double end = args.size() > 1 ? cx.toNumber(args[1]) : args.empty() ? INFINITY : begin + 1;
    DisplayObject* f = object->field();
    if (!f || !object->owner()) return Value();
    Rooted out(cx.heap(), textFormatOfField(cx, *f, object->owner()->definitions()));
    if (!out.get().isObject()) return Value();
    const FormattedText text = fieldFormattedText(cx.vm.movie(), *f);
    const auto size = static_cast<int32_t>(std::min<size_t>(text.formats.size(), INT32_MAX));
    const int32_t from = rangeIndex(begin, size), to = std::isnan(end) ? from : rangeIndex(end, size);
    if (from >= to) return out.get();
    // Settings every character of the range shares are given; the others are null.
    const CharFormat& first = text.formats[size_t(from)];
    bool face = true, sizeSame = true, color = true, bold = true, italic = true, underline = true, url = true;
    bool kerning = true;
    for (int32_t i = from + 1; i < to; ++i) {
        const CharFormat& c = text.formats[size_t(i)];
        face = face && c.face == first.face;
        sizeSame = sizeSame && c.size == first.size;
        color = color && c.color == first.color;
        bold = bold && c.bold == first.bold;
        italic = italic && c.italic == first.italic;
        underline = underline && c.underline == first.underline;
        url = url && c.url == first.url;
        kerning = kerning && c.kerning == first.kerning;
    }
    const Value o = out.get();
    if (!face) cx.set(o, "font", Value::null());
    else if (!first.face.empty()) cx.set(o, "font", cx.stringValue(first.face));
    cx.set(o, "size", sizeSame ? Value::number(first.size) : Value::null());
    cx.set(o, "color", color ? Value::number(first.color) : Value::null());
    cx.set(o, "bold", bold ? Value::boolean(first.bold) : Value::null());
    cx.set(o, "italic", italic ? Value::boolean(first.italic) : Value::null());
    cx.set(o, "underline", underline ? Value::boolean(first.underline) : Value::null());
    cx.set(o, "url", url ? cx.stringValue(first.url) : Value::null());
    cx.set(o, "kerning", kerning ? Value::boolean(first.kerning) : Value::null());
    return o;
}

Value fieldSetNewTextFormat(CallContext& cx, const Value& self, std::span<const Value> args) {
    TextFieldObject* object = formatTarget(self);
    if (!object || !object->field() || !arg(args, 0).isObject()) return Value();
    const CharFormatChange change = readCharFormatChange(cx, args[0]);
    DisplayObject* f = object->field();
    if (!f) return Value();
    MovieInstance& movie = cx.vm.movie();
    const FormattedText text = fieldFormattedText(movie, *f);
    TextFieldState& state = f->ensureTextState();
    CharFormat next = state.newTextFormat ? *state.newTextFormat
                      : text.formats.empty() ? baseCharFormat(fieldSettings(*f))
                                             : text.formats.back();
    change.applyTo(next);
    state.newTextFormat = std::make_shared<const CharFormat>(std::move(next));
    // Kept as runs from now on, so that what is typed takes the new look and the rest keeps its.
    if (!state.formattedRuns) setFieldFormattedText(movie, *f, text);
    return Value();
}

Value fieldGetNewTextFormat(CallContext& cx, const Value& self, std::span<const Value>) {
    TextFieldObject* object = formatTarget(self);
    DisplayObject* f = object ? object->field() : nullptr;
    if (!f || !object->owner()) return Value();
    Rooted out(cx.heap(), textFormatOfField(cx, *f, object->owner()->definitions()));
    const CharFormat* next = f->textState ? f->textState->newTextFormat.get() : nullptr;
    if (!next || !out.get().isObject()) return out.get();
    const Value o = out.get();
    if (!next->face.empty()) cx.set(o, "font", cx.stringValue(next->face));
    cx.set(o, "size", Value::number(next->size));
    cx.set(o, "color", Value::number(next->color));
    cx.set(o, "bold", Value::boolean(next->bold));
    cx.set(o, "italic", Value::boolean(next->italic));
    cx.set(o, "underline", Value::boolean(next->underline));
    cx.set(o, "url", cx.stringValue(next->url));
    return o;
}

void installTextFormat(Vm& vm) {
    Object* proto = vm.newObject();
    defineConstructor(vm, "TextFormat", construct, proto, nullptr, 13);
    defineMethods(vm, proto, {{"getTextExtent", getTextExtent, 2}});
}

}  // namespace velmora::swf::script
