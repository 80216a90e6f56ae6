// TextField: the script objects of text fields on stage, their properties (accessors of
// TextField.prototype reading and changing the field), their methods, and the MovieClip methods
// that make and remove fields. Sizes and positions are in pixels, as scripts count them.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/format/font.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_creation.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/placement_plan.h"
#include "swf/runtime/script/builtins/filter_values.h"
#include "swf/runtime/script/builtins/host_classes.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/builtins/style_sheet_values.h"
#include "swf/runtime/script/builtins/text_format_values.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/text_field_object.h"
#include "swf/runtime/target_path.h"
#include "swf/runtime/text_field_binding.h"
#include "swf/runtime/text_editing.h"
#include "swf/runtime/text_field_settings.h"
#include "swf/runtime/text_runs.h"

namespace velmora::swf::script {

namespace {

enum class Prop {
    Text, HtmlText, Html, Length, Variable, MaxChars, Restrict, Password, Multiline, WordWrap, AutoSize,
    Border, BorderColor, Background, BackgroundColor, TextColor, EmbedFonts, Selectable, Type,
    Scroll, MaxScroll, HScroll, MaxHScroll, BottomScroll, TextWidth, TextHeight,
    X, Y, XScale, YScale, Rotation, Alpha, Visible, Width, Height, Name, Target, Parent, Filters,
};

struct PropName {
    const char* name;
    Prop prop;
    bool writable;
};

constexpr PropName kProps[] = {
    {"text", Prop::Text, true}, {"htmlText", Prop::HtmlText, true}, {"html", Prop::Html, true},
    {"length", Prop::Length, false}, {"variable", Prop::Variable, true}, {"maxChars", Prop::MaxChars, true},
    {"restrict", Prop::Restrict, true}, {"password", Prop::Password, true}, {"multiline", Prop::Multiline, true},
    {"wordWrap", Prop::WordWrap, true}, {"autoSize", Prop::AutoSize, true}, {"border", Prop::Border, true},
    {"borderColor", Prop::BorderColor, true}, {"background", Prop::Background, true},
    {"backgroundColor", Prop::BackgroundColor, true}, {"textColor", Prop::TextColor, true},
    {"embedFonts", Prop::EmbedFonts, true}, {"selectable", Prop::Selectable, true}, {"type", Prop::Type, true},
    {"scroll", Prop::Scroll, true}, {"maxscroll", Prop::MaxScroll, false}, {"hscroll", Prop::HScroll, true},
    {"maxhscroll", Prop::MaxHScroll, false}, {"bottomScroll", Prop::BottomScroll, false},
    {"textWidth", Prop::TextWidth, false}, {"textHeight", Prop::TextHeight, false}, {"_x", Prop::X, true},
    {"_y", Prop::Y, true}, {"_xscale", Prop::XScale, true}, {"_yscale", Prop::YScale, true},
    {"_rotation", Prop::Rotation, true}, {"_alpha", Prop::Alpha, true}, {"_visible", Prop::Visible, true},
    {"_width", Prop::Width, true}, {"_height", Prop::Height, true}, {"_name", Prop::Name, true},
    {"_target", Prop::Target, false}, {"_parent", Prop::Parent, false}, {"filters", Prop::Filters, true},
};

// Pixels as twips, within what a field's box holds; nullopt for a value that is no number.
std::optional<int32_t> twips(double pixels) {
    if (!std::isfinite(pixels)) return std::nullopt;
    return static_cast<int32_t>(std::clamp(std::round(pixels * 20.0), -double(1 << 27), double(1 << 27)));
}

Rgba rgbOf(CallContext& cx, const Value& v) {
    const auto rgb = static_cast<uint32_t>(cx.toInt32(v));
    return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
}
double numberOfRgb(const Rgba& c) { return double((uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b); }

TextFieldObject* fieldObjectOf(const Value& self) { return dynamic_cast<TextFieldObject*>(self.objectOrNull()); }

DisplayObject* fieldOf(const Value& self) {
    TextFieldObject* o = fieldObjectOf(self);
    return o ? o->field() : nullptr;
}

const char* autoSizeName(const EditTextCharacter& s) {
    if (!s.autoSize) return "none";
    if (s.autoSizeAnchor == EditTextCharacter::Align::Right) return "right";
    if (s.autoSizeAnchor == EditTextCharacter::Align::Center) return "center";
    return "left";
}

void setScroll(CallContext& cx, DisplayObject& field, int32_t line, bool horizontal) {
    MovieInstance& movie = cx.vm.movie();
    const TextFieldLayout layout = measureField(movie, field);
    const EditTextCharacter& s = fieldSettings(field);
    TextFieldState& state = field.ensureTextState();
    int32_t& at = horizontal ? state.hscroll : state.scroll;
    const int32_t clamped = horizontal ? std::clamp(line, 0, maxHScroll(s, layout)) : std::clamp(line, 1, maxScroll(s, layout));
    if (clamped == at) return;
    at = clamped;
    movie.noteChange();
}

// Whether the field is an HTML field as scripts see it: one whose plain text is kept as runs only
// for their formats is not.
bool isHtmlField(const DisplayObject& field) {
    return fieldSettings(field).html && !(field.textState && field.textState->plainRuns);
}

// htmlText as scripts read it. A field that is no HTML field answers its text, as the text
// property does: that is how the documentation gives it, and a script that reads htmlText of a
// plain field gets back what it put in. A field styled by a sheet answers the HTML it was given;
// others answer their text in the authoring tool's own markup.
std::string fieldHtmlText(const MovieInstance& movie, const DisplayObject& field, const Movie& definitions) {
    if (!isHtmlField(field)) return fieldPlainText(movie, field);
    const TextFieldState* state = field.textState.get();
    if (state && state->styled && fieldContent(movie, field) == state->htmlSourceShown) return state->htmlSource;
    const EditTextCharacter& s = fieldSettings(field);
    return documentedHtml(fieldFormattedText(movie, field), s, fieldFaceName(definitions, s));
}

Value getProp(CallContext& cx, const Value& self, std::span<const Value>) {
    TextFieldObject* object = fieldObjectOf(self);
    DisplayObject* f = object ? object->field() : nullptr;
    Clip* ownerClip = object ? object->owner() : nullptr;
    if (!f || !ownerClip) return Value();
    Clip& owner = *ownerClip;
    MovieInstance& movie = cx.vm.movie();
    const EditTextCharacter& s = fieldSettings(*f);
    const auto prop = static_cast<Prop>(static_cast<int>(cx.callee->data.asNumber()));
    auto px = [](double t) { return Value::number(t / 20.0); };
    const Matrix& m = f->matrix;
    switch (prop) {
    case Prop::Text: return cx.stringValue(fieldPlainText(movie, *f));
    case Prop::HtmlText: return cx.stringValue(fieldHtmlText(movie, *f, owner.definitions()));
    case Prop::Html: return Value::boolean(isHtmlField(*f));
    case Prop::Length: return Value::number(utf16Length(fieldPlainText(movie, *f)));
    case Prop::Variable: return s.variableName.empty() ? Value::null() : cx.stringValue(s.variableName);
    case Prop::MaxChars: return s.maxLength && *s.maxLength > 0 ? Value::number(*s.maxLength) : Value::null();
    case Prop::Restrict: return s.restrictTo.empty() ? Value::null() : cx.stringValue(s.restrictTo);
    case Prop::Password: return Value::boolean(s.password);
    case Prop::Multiline: return Value::boolean(s.multiline);
    case Prop::WordWrap: return Value::boolean(s.wordWrap);
    case Prop::AutoSize: return cx.stringValue(autoSizeName(s));
    case Prop::Border: return Value::boolean(s.border);
    case Prop::BorderColor: return Value::number(numberOfRgb(s.borderColor));
    case Prop::Background: return Value::boolean(s.background);
    case Prop::BackgroundColor: return Value::number(numberOfRgb(s.backgroundColor));
    case Prop::TextColor: return Value::number(s.textColor ? numberOfRgb(*s.textColor) : 0.0);
    case Prop::EmbedFonts: return Value::boolean(s.useOutlines);
    case Prop::Selectable: return Value::boolean(!s.noSelect);
    case Prop::Type: return cx.stringValue(s.readOnly ? "dynamic" : "input");
    case Prop::Scroll: {
        const int32_t scroll = f->textState ? f->textState->scroll : 1;
        return Value::number(std::clamp(scroll, 1, maxScroll(s, measureField(movie, *f))));
    }
    case Prop::MaxScroll: return Value::number(maxScroll(s, measureField(movie, *f)));
    case Prop::HScroll: return Value::number(f->textState ? f->textState->hscroll : 0);
    case Prop::MaxHScroll: return Value::number(maxHScroll(s, measureField(movie, *f)));
    case Prop::BottomScroll:
        return Value::number(bottomScroll(s, measureField(movie, *f), f->textState ? f->textState->scroll : 1));
    case Prop::TextWidth: return Value::number(std::round(measureField(movie, *f).textWidth / 20.0));
    case Prop::TextHeight: return Value::number(std::round(measureField(movie, *f).textHeight / 20.0));
    case Prop::X: return px(m.tx);
    case Prop::Y: return px(m.ty);
    case Prop::XScale: return Value::number(std::hypot(m.a, m.b) * 100.0);
    case Prop::YScale: return Value::number(std::hypot(m.c, m.d) * 100.0);
    case Prop::Rotation: return Value::number(std::atan2(m.b, m.a) * 180.0 / std::numbers::pi);
    case Prop::Alpha: return Value::number(f->colorTransform.aMult * 100.0);
    case Prop::Visible: return Value::boolean(f->visible);
    case Prop::Width:
    case Prop::Height: {
        const auto box = objectBounds(*f, owner.movie().movie());
        return box ? px(prop == Prop::Width ? box->width() : box->height()) : Value::number(0);
    }
    case Prop::Name: return cx.stringValue(f->name);
    case Prop::Target: {
        const std::string parent = slashPath(owner);
        return cx.stringValue((parent == "/" ? "" : parent) + "/" + f->name);
    }
    case Prop::Parent: return Value::object(cx.vm.clipObject(owner));
    case Prop::Filters: {
        Rooted out(cx.heap(), Value::object(cx.newArray()));
        const std::vector<Filter> filters = f->filters;  // a script run by the conversion may change them
        for (const Filter& filter : filters) {
            const Value v = filterToScript(cx, filter);
            if (v.isObject()) out.get().asObject()->asArray()->elements().push_back(v);
        }
        return out.get();
    }
    }
    return Value();
}

// Replaces the field's text: plain text is escaped for an HTML field, and the bound variable
// follows.
void replaceText(CallContext& cx, TextFieldObject& object, const std::string& text, bool isHtml) {
    DisplayObject* f = object.field();
    if (!f) return;
    MovieInstance& movie = cx.vm.movie();
    // HTML given to a field with a style sheet takes the sheet's styles for its tags and classes.
    const Value sheet = isHtml ? cx.get(Value::object(&object), "styleSheet") : Value::undefined();
    const std::optional<TagStyles> styles = fieldTagStyles(cx, sheet);
    if (!(f = object.field())) return;  // reading the sheet may have run a script
    const bool htmlField = isHtmlField(*f);
    TextFieldState& given = f->ensureTextState();
    given.styled = styles.has_value();
    // Kept so that a style sheet set later can style this text again.
    given.htmlSource = isHtml ? text : std::string();
    if (styles) {
        const FormattedText styled = parseFormattedText(text, baseCharFormat(fieldSettings(*f)), &*styles);
        setFieldFormattedText(movie, *f, styled);
    } else if (f->textState && f->textState->formattedRuns) {
        // New text takes the new text format, else the look the text began with.
        const FormattedText before = fieldFormattedText(movie, *f);
        const CharFormat look = f->textState->newTextFormat ? *f->textState->newTextFormat
                                : before.formats.empty()    ? baseCharFormat(fieldSettings(*f))
                                                            : before.formats.front();
        // A plain field kept as runs takes HTML as its other plain fields do: as its text.
        const std::string html = isHtml && htmlField ? text : escapeHtml(isHtml ? htmlToPlain(text) : text);
        FormattedText after = parseFormattedText(html, look);
        setFieldFormattedText(movie, *f, after);
    } else {
        std::string content = htmlField ? (isHtml ? text : escapeHtml(text)) : (isHtml ? htmlToPlain(text) : text);
        // maxChars limits typing only: scripts may put in what they like.
        setFieldContent(movie, *f, std::move(content));
    }
    TextFieldState& state = f->ensureTextState();
    const int32_t length = utf16Length(fieldPlainText(movie, *f));
    state.selectionBegin = std::min(state.selectionBegin, length);
    state.selectionEnd = std::min(state.selectionEnd, length);
    state.caret = std::min(state.caret, length);
    state.htmlSourceShown = isHtml ? fieldContent(movie, *f) : std::string();
    if (Clip* owner = object.owner()) writeBoundVariable(*owner, *f);
}

// The HTML a field's text came from, for a style sheet to style again: what a script gave it while
// the field still shows that, else the content of an HTML field not formatted in parts. None when
// the text came otherwise (typed, formatted by setTextFormat, or plain).
std::optional<std::string> restylableSource(const MovieInstance& movie, const DisplayObject& field) {
    if (!isHtmlField(field)) return std::nullopt;
    const TextFieldState* state = field.textState.get();
    const std::string content = fieldContent(movie, field);
    if (state && !state->htmlSource.empty() && content == state->htmlSourceShown) return state->htmlSource;
    if (state && (state->formattedRuns || state->styled)) return std::nullopt;
    return content;
}

// styleSheet: kept on the object; a sheet set, changed or removed after the text styles the HTML
// the text came from again.
Value getStyleSheet(CallContext& cx, const Value& self, std::span<const Value>) {
    Object* o = self.objectOrNull();
    const Property* p = o ? o->findOwn(cx.vm.key("_styleSheet")) : nullptr;
    return p ? p->value : Value();
}

Value setStyleSheet(CallContext& cx, const Value& self, std::span<const Value> args) {
    TextFieldObject* object = fieldObjectOf(self);
    Object* o = self.objectOrNull();
    if (!o) return Value();
    o->put(cx.vm.key("_styleSheet"), cx.vm.name("_styleSheet"), arg(args, 0), kDontEnum);
    DisplayObject* f = object ? object->field() : nullptr;
    if (!f) return Value();
    const std::optional<std::string> source = restylableSource(cx.vm.movie(), *f);
    if (!source) return Value();
    TextFieldState& state = f->ensureTextState();
    state.formattedRuns = false;
    state.styled = false;
    replaceText(cx, *object, *source, true);
    return Value();
}

Value setProp(CallContext& cx, const Value& self, std::span<const Value> args) {
    TextFieldObject* object = fieldObjectOf(self);
    if (!object || !object->field()) return Value();
    const auto prop = static_cast<Prop>(static_cast<int>(cx.callee->data.asNumber()));
    // Conversions may run a script's valueOf, which may remove the field: converted first, the
    // field looked for after.
    const Value given = arg(args, 0);
    const Value v = given.isObject() && prop != Prop::Filters ? cx.toPrimitive(given) : given;
    MovieInstance& movie = cx.vm.movie();
    auto change = [&](const std::function<void(EditTextCharacter&)>& fn) {
        if (DisplayObject* f = object->field()) {
            changeFieldSettings(movie, *f, fn);
            fitAutoSize(movie, *f);
        }
    };
    const bool flag = cx.toBoolean(v);
    switch (prop) {
    case Prop::Text: replaceText(cx, *object, cx.toStdString(v), false); break;
    case Prop::HtmlText: replaceText(cx, *object, cx.toStdString(v), true); break;
    case Prop::Html: {
        DisplayObject* f = object->field();
        if (!f || isHtmlField(*f) == flag) break;
        if (flag && f->textState && f->textState->plainRuns) {
            f->textState->plainRuns = false;  // its runs are HTML already
            break;
        }
        // The text stays what it was: marked up as plain text, or its markup dropped.
        const std::string plain = fieldPlainText(movie, *f);
        changeFieldSettings(movie, *f, [&](EditTextCharacter& s) { s.html = flag; });
        f->ensureTextState().formattedRuns = false;
        f->textState->plainRuns = false;
        setFieldContent(movie, *f, flag ? escapeHtml(plain) : plain);
        break;
    }
    case Prop::Variable: {
        const std::string name = v.isNullish() ? std::string() : cx.toStdString(v);
        change([&](EditTextCharacter& s) { s.variableName = name; });
        DisplayObject* f = object->field();
        Clip* owner = object->owner();
        if (!f || !owner || name.empty()) break;
        f->text = fieldContent(movie, *f);
        f->ensureTextState();
        bindField(*owner, *f);
        break;
    }
    case Prop::MaxChars: {
        const double n = cx.toNumber(v);
        change([&](EditTextCharacter& s) {
            if (v.isNullish() || !std::isfinite(n) || n <= 0) s.maxLength.reset();
            else s.maxLength = static_cast<uint16_t>(std::min(n, 65535.0));
        });
        break;
    }
    case Prop::Restrict: {
        const std::string chars = v.isNullish() ? std::string() : cx.toStdString(v);
        change([&](EditTextCharacter& s) { s.restrictTo = chars; });
        break;
    }
    case Prop::Password: change([&](EditTextCharacter& s) { s.password = flag; }); break;
    case Prop::Multiline: change([&](EditTextCharacter& s) { s.multiline = flag; }); break;
    case Prop::WordWrap: change([&](EditTextCharacter& s) { s.wordWrap = flag; }); break;
    case Prop::AutoSize: {
        std::string mode = v.isBoolean() ? (flag ? "left" : "none") : cx.toStdString(v);
        std::transform(mode.begin(), mode.end(), mode.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        change([&](EditTextCharacter& s) {
            s.autoSize = mode == "left" || mode == "right" || mode == "center";
            s.autoSizeAnchor = mode == "right"    ? EditTextCharacter::Align::Right
                               : mode == "center" ? EditTextCharacter::Align::Center
                                                  : EditTextCharacter::Align::Left;
        });
        break;
    }
    case Prop::Border: change([&](EditTextCharacter& s) { s.border = flag; }); break;
    case Prop::BorderColor: {
        const Rgba c = rgbOf(cx, v);
        change([&](EditTextCharacter& s) { s.borderColor = c; });
        break;
    }
    case Prop::Background: change([&](EditTextCharacter& s) { s.background = flag; }); break;
    case Prop::BackgroundColor: {
        const Rgba c = rgbOf(cx, v);
        change([&](EditTextCharacter& s) { s.backgroundColor = c; });
        break;
    }
    case Prop::TextColor: {
        const Rgba c = rgbOf(cx, v);
        change([&](EditTextCharacter& s) { s.textColor = c; });
        break;
    }
    case Prop::EmbedFonts: change([&](EditTextCharacter& s) { s.useOutlines = flag; }); break;
    case Prop::Selectable: change([&](EditTextCharacter& s) { s.noSelect = !flag; }); break;
    case Prop::Type: {
        const std::string type = cx.toStdString(v);
        if (type == "input" || type == "dynamic")
            change([&](EditTextCharacter& s) { s.readOnly = type == "dynamic"; });
        break;
    }
    case Prop::Scroll:
    case Prop::HScroll: {
        const double n = cx.toNumber(v);
        DisplayObject* f = object->field();
        if (!f || !std::isfinite(n)) break;
        const TextFieldState& state = f->ensureTextState();
        const int32_t scrollBefore = state.scroll;
        const int32_t hscrollBefore = state.hscroll;
        setScroll(cx, *f, static_cast<int32_t>(std::clamp(n, -1e9, 1e9)), prop == Prop::HScroll);
        if (state.scroll != scrollBefore || state.hscroll != hscrollBefore) {
            // The field's scripts hear that it scrolled, as they do when the user scrolls it.
            const std::array<Value, 1> field{Value::object(object)};
            Value handler;
            if (cx.vm.lookup(Value::object(object), cx.vm.key("onScroller"), handler)) cx.call(handler, Value::object(object), field);
            const Value listeners = cx.get(Value::object(object), "_listeners");
            if (ArrayObject* list = CallContext::thisArray(listeners)) {
                const std::vector<Value> targets = list->elements();
                for (const Value& t : targets) cx.call(cx.get(t, "onScroller"), t, field);
            }
        }
        break;
    }
    case Prop::X:
    case Prop::Y:
    case Prop::Alpha:
    case Prop::Rotation:
    case Prop::XScale:
    case Prop::YScale: {
        const double n = cx.toNumber(v);
        DisplayObject* f = object->field();
        if (!f || !std::isfinite(n)) break;
        Matrix& m = f->matrix;
        if (prop == Prop::X) m.tx = n * 20.0;
        else if (prop == Prop::Y) m.ty = n * 20.0;
        else if (prop == Prop::Alpha) f->colorTransform.aMult = n / 100.0;
        else {
            // Scale and rotation are kept apart, as for clips: each rebuilt from the other two.
            const double xs = std::hypot(m.a, m.b);
            const double ys = std::hypot(m.c, m.d);
            const double rot = std::atan2(m.b, m.a);
            const double nx = prop == Prop::XScale ? n / 100.0 : xs;
            const double ny = prop == Prop::YScale ? n / 100.0 : ys;
            const double nr = prop == Prop::Rotation ? n * std::numbers::pi / 180.0 : rot;
            m.a = nx * std::cos(nr);
            m.b = nx * std::sin(nr);
            m.c = -ny * std::sin(nr);
            m.d = ny * std::cos(nr);
        }
        movie.noteChange();
        break;
    }
    case Prop::Visible:
        if (DisplayObject* f = object->field()) {
            f->visible = flag;
            movie.noteChange();
        }
        break;
    case Prop::Width:
    case Prop::Height: {
        // A field's size is its box, not a scale: its text keeps its size.
        const auto t = twips(cx.toNumber(v));
        if (!t || *t < 0) break;
        change([&](EditTextCharacter& s) {
            if (prop == Prop::Width) s.bounds.xMax = s.bounds.xMin + *t;
            else s.bounds.yMax = s.bounds.yMin + *t;
        });
        break;
    }
    case Prop::Name:
        if (DisplayObject* f = object->field()) f->name = cx.toStdString(v);
        break;
    case Prop::Filters: {
        std::vector<Filter> filters;
        if (ArrayObject* a = CallContext::thisArray(given)) {
            const std::vector<Value> items = a->elements();
            for (const Value& item : items) {
                if (std::optional<Filter> filter = filterFromScript(cx, item)) filters.push_back(std::move(*filter));
            }
        } else if (!given.isNullish()) {
            break;
        }
        if (DisplayObject* f = object->field()) {
            f->filters = std::move(filters);
            movie.noteChange();
        }
        break;
    }
    default: break;  // read-only
    }
    return Value();
}

// --- methods ---

Value getDepth(CallContext&, const Value& self, std::span<const Value>) {
    DisplayObject* f = fieldOf(self);
    return f ? Value::number(f->depth - kScriptDepthOffset) : Value();
}

// Only fields a script made go; the timeline's stay, as its clips do for removeMovieClip.
Value removeTextField(CallContext& cx, const Value& self, std::span<const Value>) {
    TextFieldObject* object = fieldObjectOf(self);
    DisplayObject* f = object ? object->field() : nullptr;
    Clip* owner = object ? object->owner() : nullptr;
    if (!f || !owner || !f->placedByScript) return Value();
    auto it = owner->displayList().find(f->depth);
    if (it == owner->displayList().end() || it->second.get() != f) return Value();
    if (cx.vm.movie().focusedText() == f) cx.vm.movie().setFocusedText(nullptr);
    removeObject(*owner, it);
    cx.vm.movie().noteChange();
    return Value();
}

// replaceSel(text): the focused field's selection becomes text, as if pasted, but past the
// field's restrict and maxChars, which bind only the user. A field without the focus has no
// selection to replace.
Value replaceSel(CallContext& cx, const Value& self, std::span<const Value> args) {
    DisplayObject* f = fieldOf(self);
    if (!f || cx.vm.movie().focusedText() != f) return Value();
    replaceSelection(cx.vm.movie(), *f, cx.toStdString(arg(args, 0)));
    return Value();
}

// addListener(listener) and removeListener(listener): the listeners hear onChanged and
// onScroller, as a broadcaster's do.
Value addListener(CallContext& cx, const Value& self, std::span<const Value> args) {
    TextFieldObject* object = fieldObjectOf(self);
    if (!object || !arg(args, 0).isObject()) return Value::boolean(false);
    ArrayObject* list = CallContext::thisArray(cx.get(self, "_listeners"));
    if (!list) {
        list = cx.newArray();
        object->put(cx.vm.key("_listeners"), cx.vm.name("_listeners"), Value::object(list), kDontEnum);
    }
    for (const Value& v : list->elements()) {
        if (Vm::strictEquals(v, args[0])) return Value::boolean(true);
    }
    list->elements().push_back(args[0]);
    cx.heap().account(list);
    return Value::boolean(true);
}

Value removeListener(CallContext& cx, const Value& self, std::span<const Value> args) {
    ArrayObject* list = fieldObjectOf(self) ? CallContext::thisArray(cx.get(self, "_listeners")) : nullptr;
    if (!list) return Value::boolean(false);
    auto& e = list->elements();
    const auto it = std::find_if(e.begin(), e.end(), [&](const Value& v) { return Vm::strictEquals(v, arg(args, 0)); });
    if (it == e.end()) return Value::boolean(false);
    e.erase(it);
    return Value::boolean(true);
}

Value fieldConstruct(CallContext&, const Value& self, std::span<const Value>) { return self; }

// createTextField(name, depth, x, y, width, height): an empty dynamic field in the default
// device font, 12 points, black, no border.
Value createTextField(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* parent = clipOfSelf(cx, self);
    if (!parent || args.size() < 6) return Value();
    const std::string name = cx.toStdString(args[0]);
    const auto depth = displayDepthOfScriptDepth(cx.toNumber(args[1]));
    const auto x = twips(cx.toNumber(args[2]));
    const auto y = twips(cx.toNumber(args[3]));
    const auto w = twips(cx.toNumber(args[4]));
    const auto h = twips(cx.toNumber(args[5]));
    parent = clipOfSelf(cx, self);  // the conversions may have run scripts
    if (!parent || !depth || !x || !y || !w || !h) return Value();
    auto settings = std::make_shared<EditTextCharacter>(0);
    settings->bounds = {0, std::max(0, *w), 0, std::max(0, *h)};
    settings->readOnly = true;
    settings->fontHeight = 240;
    settings->textColor = Rgba{0, 0, 0, 255};
    DisplayList& list = parent->displayList();
    if (const auto it = list.find(*depth); it != list.end()) removeObject(*parent, it);
    Placement p;
    p.character = std::move(settings);
    p.name = name;
    p.matrix.tx = *x;
    p.matrix.ty = *y;
    DisplayObject* placed = buildObject(*parent, *depth, std::move(p), false);
    cx.vm.movie().noteChange();
    if (!placed) return Value();
    placed->placedByScript = true;
    placed->ensureTextState();
    return Value::object(cx.vm.textFieldObject(*parent, *placed));
}

}  // namespace

void installTextField(Vm& vm) {
    Object* proto = vm.newObject();
    FunctionObject* ctor = defineConstructor(vm, "TextField", fieldConstruct, proto);
    for (const PropName& p : kProps) {
        Property& property = proto->put(vm.key(p.name), vm.name(p.name), Value(), kDontEnum);
        property.getter = makeNative(vm, getProp);
        property.getter->data = Value::number(static_cast<int>(p.prop));
        property.setter = makeNative(vm, setProp, 1);
        property.setter->data = Value::number(static_cast<int>(p.prop));
    }
    Property& sheet = proto->put(vm.key("styleSheet"), vm.name("styleSheet"), Value(), kDontEnum);
    sheet.getter = makeNative(vm, getStyleSheet);
    sheet.setter = makeNative(vm, setStyleSheet, 1);
    defineMethods(vm, proto,
                  {{"getDepth", getDepth},
                   {"removeTextField", removeTextField},
                   {"setTextFormat", fieldSetTextFormat, 3},
                   {"getTextFormat", fieldGetTextFormat, 2},
                   {"setNewTextFormat", fieldSetNewTextFormat, 1},
                   {"getNewTextFormat", fieldGetNewTextFormat},
                   {"replaceSel", replaceSel, 1}});
    defineMethods(vm, proto, {{"addListener", addListener, 1}, {"removeListener", removeListener, 1}});
    defineValue(vm, proto, "mouseWheelEnabled", Value::boolean(true));
    defineValue(vm, proto, "condenseWhite", Value::boolean(false));
    installStyleSheet(vm, ctor);
    defineMethods(vm, vm.realm().movieClipPrototype, {{"createTextField", createTextField, 6}});
    installTextFormat(vm);
}

}  // namespace velmora::swf::script
