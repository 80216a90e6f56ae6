#include "swf/runtime/text_runs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "swf/runtime/display_object.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/text_editing.h"
#include "swf/runtime/text_field_settings.h"

namespace velmora::swf {

namespace {

// Open formatting tags kept at most: deeper nesting is a hostile file, not a lesson.
constexpr size_t kMaxNesting = 256;

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The value of attribute name (lower case) in the inside of a tag, quoted or bare.
std::optional<std::string> attribute(std::string_view inside, std::string_view name) {
    const std::string lowered = lowerAscii(inside);
    size_t at = 0;
    while ((at = lowered.find(name, at)) != std::string::npos) {
        const bool startsWord = at > 0 && std::isspace(static_cast<unsigned char>(lowered[at - 1]));
        size_t p = at + name.size();
        while (p < inside.size() && inside[p] == ' ') ++p;
        if (!startsWord || p >= inside.size() || inside[p] != '=') {
            at += name.size();
            continue;
        }
        ++p;
        while (p < inside.size() && inside[p] == ' ') ++p;
        if (p < inside.size() && (inside[p] == '"' || inside[p] == '\'')) {
            const size_t end = inside.find(inside[p], p + 1);
            return std::string(inside.substr(p + 1, (end == std::string_view::npos ? inside.size() : end) - p - 1));
        }
        const size_t end = inside.find(' ', p);
        return std::string(inside.substr(p, (end == std::string_view::npos ? inside.size() : end) - p));
    }
    return std::nullopt;
}

char32_t entityValue(std::string_view entity) {
    if (entity == "lt") return '<';
    if (entity == "gt") return '>';
    if (entity == "amp") return '&';
    if (entity == "quot") return '"';
    if (entity == "apos") return '\'';
    if (entity == "nbsp") return 0xA0;
    if (entity.size() < 2 || entity[0] != '#') return 0;
    const bool hex = entity[1] == 'x' || entity[1] == 'X';
    uint32_t v = 0;
    if (entity.size() <= (hex ? 2u : 1u)) return 0;
    for (char d : entity.substr(hex ? 2 : 1)) {
        const int digit = std::isdigit(static_cast<unsigned char>(d))                         ? d - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(d)) ? std::tolower(d) - 'a' + 10
                                                                                : -1;
        if (digit < 0 || v > 0x10FFFF) return 0;
        v = v * (hex ? 16 : 10) + uint32_t(digit);
    }
    return v > 0 && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF) ? v : 0;
}

void escapeInto(std::string& out, std::string_view text, bool attribute) {
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"' && attribute) out += "&quot;";
        else out += c;
    }
}

std::string sizeText(double pixels) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", std::clamp(pixels, 1.0, 1000.0));
    return buffer;
}

}  // namespace

void CharFormatChange::applyTo(CharFormat& f) const {
    if (face) f.face = *face;
    if (size) f.size = std::clamp(*size, 1.0, 1000.0);
    if (color) f.color = *color & 0xFFFFFF;
    if (bold) f.bold = *bold;
    if (italic) f.italic = *italic;
    if (underline) f.underline = *underline;
    if (url) f.url = *url;
    if (letterSpacing) f.letterSpacing = std::clamp(*letterSpacing, -100.0, 1000.0);
    if (kerning) f.kerning = *kerning;
}

void ParagraphFormat::merge(const ParagraphFormat& o) {
    if (o.align) align = o.align;
    if (o.leftMargin) leftMargin = o.leftMargin;
    if (o.rightMargin) rightMargin = o.rightMargin;
    if (o.indent) indent = o.indent;
    if (o.leading) leading = o.leading;
}

CharFormat baseCharFormat(const EditTextCharacter& s) {
    CharFormat f;
    f.face = s.face;
    f.size = std::clamp(s.fontHeight / 20.0, 1.0, 1000.0);
    if (s.textColor) f.color = (uint32_t(s.textColor->r) << 16) | (uint32_t(s.textColor->g) << 8) | s.textColor->b;
    f.bold = s.bold;
    f.italic = s.italic;
    f.underline = s.underline;
    return f;
}

namespace {

std::optional<double> numberAttribute(std::string_view inside, std::string_view name) {
    const auto text = attribute(inside, name);
    if (!text || text->empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text->c_str(), &end);
    if (end == text->c_str() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<EditTextCharacter::Align> alignOf(std::string_view name) {
    const std::string v = lowerAscii(name);
    if (v == "left") return EditTextCharacter::Align::Left;
    if (v == "right") return EditTextCharacter::Align::Right;
    if (v == "center") return EditTextCharacter::Align::Center;
    if (v == "justify") return EditTextCharacter::Align::Justify;
    return std::nullopt;
}

const char* alignText(EditTextCharacter::Align align, bool upper) {
    switch (align) {
    case EditTextCharacter::Align::Right: return upper ? "RIGHT" : "right";
    case EditTextCharacter::Align::Center: return upper ? "CENTER" : "center";
    case EditTextCharacter::Align::Justify: return upper ? "JUSTIFY" : "justify";
    default: return upper ? "LEFT" : "left";
    }
}

// Margins, indent and leading are held to what a field's box can hold.
double paragraphPixels(double v) { return std::clamp(v, -1000.0, 10000.0); }

std::string numberText(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

}  // namespace

FormattedText parseFormattedText(std::string_view html, const CharFormat& base, const TagStyles* styles) {
    // An open tag: the look of text inside it, the settings of paragraphs begun inside it, and
    // whether it stands as a paragraph of its own or hides its text.
    struct Open {
        std::string name;
        CharFormat format;
        ParagraphFormat paragraph;
        bool block = false;
        bool hidden = false;
    };
    FormattedText out;
    std::vector<Open> open{{"", base, {}, false, false}};
    std::vector<ParagraphFormat> paragraphs(1);
    size_t lineStart = 0;
    // A paragraph that ended leaves its line break for text that follows: the last one ends no
    // line of its own.
    bool pendingBreak = false;
    auto breakLine = [&] {
        pendingBreak = false;
        if (open.back().hidden) return;
        out.text.push_back(u'\r');
        out.formats.push_back(open.back().format);
        lineStart = out.text.size();
        paragraphs.push_back(open.back().paragraph);
    };
    auto put = [&](const std::u16string& units) {
        if (open.back().hidden || units.empty()) return;
        if (pendingBreak) breakLine();
        out.text += units;
        out.formats.insert(out.formats.end(), units.size(), open.back().format);
    };
    size_t p = 0;
    while (p < html.size()) {
        const char c = html[p];
        if (c == '<') {
            const size_t end = html.find('>', p + 1);
            if (end == std::string_view::npos) break;  // a tag cut short ends the text
            const std::string_view inside = html.substr(p + 1, end - p - 1);
            p = end + 1;
            size_t q = 0;
            const bool closing = !inside.empty() && inside[0] == '/';
            if (closing) ++q;
            std::string name;
            while (q < inside.size() && std::isalnum(static_cast<unsigned char>(inside[q])))
                name.push_back(char(std::tolower(static_cast<unsigned char>(inside[q++]))));
            if (name == "br") {
                if (pendingBreak) breakLine();
                breakLine();
                continue;
            }
            if (closing) {
                bool found = false;
                for (size_t i = open.size(); i-- > 1;) {
                    if (open[i].name == name) {
                        if (open[i].block) pendingBreak = true;
                        open.resize(i);
                        found = true;
                        break;
                    }
                }
                if (!found && name == "p") pendingBreak = true;  // a paragraph's end without its start
                continue;
            }
            const TagStyle style = styles ? (*styles)(name, attribute(inside, "class").value_or("")) : TagStyle{};
            // Paragraphs do not nest: a new one ends the one open.
            if (name == "p") {
                for (size_t i = open.size(); i-- > 1;) {
                    if (open[i].name == "p") {
                        if (open[i].block) pendingBreak = true;
                        open.resize(i);
                        break;
                    }
                }
            }
            const bool block = style.display == TagStyle::Display::Block ||
                               (name == "p" && style.display == TagStyle::Display::Default);
            if (block && (pendingBreak || out.text.size() > lineStart)) breakLine();
            const bool formatting = name == "font" || name == "b" || name == "i" || name == "u" || name == "a";
            if (!formatting && name != "p" && name != "textformat" && style.empty()) continue;
            Open entry = open.back();
            entry.name = name;
            entry.block = block;
            CharFormat& f = entry.format;
            if (name == "b") f.bold = true;
            if (name == "i") f.italic = true;
            if (name == "u") f.underline = true;
            if (name == "a") f.url = attribute(inside, "href").value_or("");
            if (name == "font") {
                if (auto face = attribute(inside, "face")) f.face = *face;
                if (auto color = attribute(inside, "color")) {
                    std::string hex = *color;
                    if (!hex.empty() && hex[0] == '#') hex.erase(0, 1);
                    if (hex.size() == 6 && std::all_of(hex.begin(), hex.end(), [](char h) { return std::isxdigit(static_cast<unsigned char>(h)); }))
                        f.color = uint32_t(std::stoul(hex, nullptr, 16));
                }
                if (auto size = attribute(inside, "size"); size && !size->empty()) {
                    char* endPtr = nullptr;
                    const double v = std::strtod(size->c_str(), &endPtr);
                    if (endPtr != size->c_str() && std::isfinite(v))
                        f.size = std::clamp((*size)[0] == '+' || (*size)[0] == '-' ? f.size + v : v, 1.0, 1000.0);
                }
                if (auto spacing = numberAttribute(inside, "letterspacing")) f.letterSpacing = std::clamp(*spacing, -100.0, 1000.0);
                if (auto kerning = numberAttribute(inside, "kerning")) f.kerning = *kerning != 0;
            }
            style.chars.applyTo(f);
            ParagraphFormat own;
            if (name == "p") {
                if (auto align = attribute(inside, "align")) own.align = alignOf(*align);
            }
            if (name == "textformat") {
                if (auto v = numberAttribute(inside, "leftmargin")) own.leftMargin = paragraphPixels(*v);
                if (auto v = numberAttribute(inside, "rightmargin")) own.rightMargin = paragraphPixels(*v);
                if (auto v = numberAttribute(inside, "indent")) own.indent = paragraphPixels(*v);
                if (auto v = numberAttribute(inside, "leading")) own.leading = paragraphPixels(*v);
            }
            own.merge(style.paragraph);
            entry.paragraph.merge(own);
            entry.hidden = entry.hidden || style.display == TagStyle::Display::None;
            // Settings of a paragraph opened before any of its text belong to it.
            if (!pendingBreak && out.text.size() == lineStart && !entry.hidden) paragraphs.back().merge(own);
            if (open.size() < kMaxNesting) open.push_back(std::move(entry));
        } else if (c == '&') {
            const size_t end = html.find(';', p + 1);
            const char32_t decoded =
                end == std::string_view::npos || end - p > 10 ? 0 : entityValue(html.substr(p + 1, end - p - 1));
            if (decoded) {
                std::string utf8;
                if (decoded < 0x80) utf8 += char(decoded);
                else if (decoded < 0x800) utf8 += {char(0xC0 | (decoded >> 6)), char(0x80 | (decoded & 0x3F))};
                else if (decoded < 0x10000)
                    utf8 += {char(0xE0 | (decoded >> 12)), char(0x80 | ((decoded >> 6) & 0x3F)), char(0x80 | (decoded & 0x3F))};
                else
                    utf8 += {char(0xF0 | (decoded >> 18)), char(0x80 | ((decoded >> 12) & 0x3F)),
                             char(0x80 | ((decoded >> 6) & 0x3F)), char(0x80 | (decoded & 0x3F))};
                put(toUtf16(utf8));
                p = end + 1;
            } else {
                put(u"&");
                ++p;
            }
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && p + 1 < html.size() && html[p + 1] == '\n') ++p;
            ++p;
            if (pendingBreak) breakLine();
            breakLine();
        } else {
            size_t next = p;
            while (next < html.size() && html[next] != '<' && html[next] != '&' && html[next] != '\r' && html[next] != '\n')
                ++next;
            put(toUtf16(html.substr(p, next - p)));
            p = next;
        }
    }
    if (std::any_of(paragraphs.begin(), paragraphs.end(), [](const ParagraphFormat& f) { return !f.empty(); }))
        out.paragraphs = std::move(paragraphs);
    return out;
}

namespace {

// Appends the runs of text[from, to) (no paragraph ends inside), each in a <font> naming its look;
// upper: in the authoring tool's form, every setting named.
void appendRuns(std::string& out, const FormattedText& text, size_t from, size_t to, bool upper,
                std::string_view fieldFace) {
    size_t i = from;
    for (bool first = true; first || i < to; first = false) {
        const CharFormat& f = i < text.formats.size() ? text.formats[i] : text.formats.back();
        size_t end = i;
        while (end < to && (end >= text.formats.size() || text.formats[end] == f)) ++end;
        char color[8];
        std::snprintf(color, sizeof color, "#%06X", unsigned(f.color & 0xFFFFFF));
        const std::string_view face = f.face.empty() ? fieldFace : std::string_view(f.face);
        out += upper ? "<FONT" : "<font";
        if (!face.empty()) {
            out += upper ? " FACE=\"" : " face=\"";
            escapeInto(out, face, true);
            out += '"';
        }
        out += std::string(upper ? " SIZE=\"" : " size=\"") + sizeText(f.size) + (upper ? "\" COLOR=\"" : "\" color=\"") + color + '"';
        if (upper) {
            out += " LETTERSPACING=\"" + numberText(f.letterSpacing) + "\" KERNING=\"" + (f.kerning ? "1" : "0") + '"';
        } else {
            if (f.letterSpacing != 0) out += " letterspacing=\"" + numberText(f.letterSpacing) + '"';
            if (f.kerning) out += " kerning=\"1\"";
        }
        out += '>';
        if (!f.url.empty()) {
            out += upper ? "<A HREF=\"" : "<a href=\"";
            escapeInto(out, f.url, true);
            out += upper ? "\" TARGET=\"\">" : "\">";
        }
        if (f.bold) out += upper ? "<B>" : "<b>";
        if (f.italic) out += upper ? "<I>" : "<i>";
        if (f.underline) out += upper ? "<U>" : "<u>";
        if (end > i) escapeInto(out, fromUtf16(std::u16string_view(text.text).substr(i, end - i)), false);
        if (f.underline) out += upper ? "</U>" : "</u>";
        if (f.italic) out += upper ? "</I>" : "</i>";
        if (f.bold) out += upper ? "</B>" : "</b>";
        if (!f.url.empty()) out += upper ? "</A>" : "</a>";
        out += upper ? "</FONT>" : "</font>";
        if (end == i) break;  // an empty paragraph's one <font>
        i = end;
    }
}

// <textformat> settings of a paragraph, in pixels; empty when it has none.
std::string textFormatAttributes(double left, double right, double indent, double leading, bool upper) {
    std::string out;
    auto add = [&](const char* lower, const char* up, double v) {
        if (v != 0) out += std::string(" ") + (upper ? up : lower) + "=\"" + numberText(v) + '"';
    };
    add("leftmargin", "LEFTMARGIN", left);
    add("rightmargin", "RIGHTMARGIN", right);
    add("indent", "INDENT", indent);
    add("leading", "LEADING", leading);
    return out;
}

}  // namespace

std::string formattedTextHtml(const FormattedText& text) {
    std::string out;
    // Paragraphs set apart from the field's settings stand in <p> of their own; the others are
    // kept apart by <br>, as typing and the renderer read them.
    const bool ownParagraphs = !text.paragraphs.empty();
    size_t start = 0;
    for (size_t index = 0;; ++index) {
        size_t end = start;
        while (end < text.text.size() && text.text[end] != u'\r') ++end;
        if (ownParagraphs) {
            const ParagraphFormat f = text.paragraph(index);
            const std::string block = textFormatAttributes(f.leftMargin.value_or(0), f.rightMargin.value_or(0),
                                                           f.indent.value_or(0), f.leading.value_or(0), false);
            if (!block.empty()) out += "<textformat" + block + ">";
            out += f.align ? std::string("<p align=\"") + alignText(*f.align, false) + "\">" : std::string("<p>");
            if (end > start) appendRuns(out, text, start, end, false, {});
            out += "</p>";
            if (!block.empty()) out += "</textformat>";
        } else {
            if (index > 0) out += "<br>";
            if (end > start) appendRuns(out, text, start, end, false, {});
        }
        if (end >= text.text.size()) break;
        start = end + 1;
    }
    return out;
}

std::string documentedHtml(const FormattedText& text, const EditTextCharacter& field, std::string_view fieldFace) {
    std::string out;
    const CharFormat base = baseCharFormat(field);
    size_t start = 0;
    for (size_t index = 0;; ++index) {
        size_t end = start;
        while (end < text.text.size() && text.text[end] != u'\r') ++end;
        const ParagraphFormat f = text.paragraph(index);
        const std::string block = textFormatAttributes(f.leftMargin.value_or(field.leftMargin / 20.0),
                                                       f.rightMargin.value_or(field.rightMargin / 20.0),
                                                       f.indent.value_or(field.indent / 20.0),
                                                       f.leading.value_or(field.leading / 20.0), true);
        if (!block.empty()) out += "<TEXTFORMAT" + block + ">";
        out += std::string("<P ALIGN=\"") + alignText(f.align.value_or(field.align), true) + "\">";
        if (end > start) {
            appendRuns(out, text, start, end, true, fieldFace);
        } else {
            // An empty paragraph still says how text typed into it will look.
            FormattedText empty;
            empty.formats.push_back(end < text.formats.size() ? text.formats[end]
                                    : text.formats.empty()    ? base
                                                              : text.formats.back());
            appendRuns(out, empty, 0, 0, true, fieldFace);
        }
        out += "</P>";
        if (!block.empty()) out += "</TEXTFORMAT>";
        if (end >= text.text.size()) break;
        start = end + 1;
    }
    return out;
}

FormattedText fieldFormattedText(const MovieInstance& movie, const DisplayObject& field) {
    const EditTextCharacter& s = fieldSettings(field);
    const CharFormat base = baseCharFormat(s);
    const std::string content = fieldContent(movie, field);
    if (s.html) return parseFormattedText(content, base);
    FormattedText out;
    for (char16_t u : toUtf16(content)) {
        if (u == u'\n' && !out.text.empty() && out.text.back() == u'\r') continue;
        out.text.push_back(u == u'\n' ? u'\r' : u);
    }
    out.formats.assign(out.text.size(), base);
    return out;
}

void setFieldFormattedText(MovieInstance& movie, DisplayObject& field, const FormattedText& text) {
    if (!fieldSettings(field).html) field.ensureTextState().plainRuns = true;
    changeFieldSettings(movie, field, [](EditTextCharacter& s) {
        s.html = true;
        s.bold = s.italic = s.underline = false;
    });
    field.ensureTextState().formattedRuns = true;
    setFieldContent(movie, field, formattedTextHtml(text));
}

std::string retypedRuns(std::string_view oldHtml, const std::u16string& newText, const CharFormat& base,
                        const CharFormat* typed) {
    FormattedText old = parseFormattedText(oldHtml, base);
    size_t prefix = 0;
    while (prefix < old.text.size() && prefix < newText.size() && old.text[prefix] == newText[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < old.text.size() - prefix && suffix < newText.size() - prefix &&
           old.text[old.text.size() - 1 - suffix] == newText[newText.size() - 1 - suffix])
        ++suffix;
    const CharFormat inserted = typed                ? *typed
                                : prefix > 0          ? old.formats[prefix - 1]
                                : prefix < old.formats.size() ? old.formats[prefix]
                                                              : base;
    FormattedText out;
    out.text = newText;
    out.formats.assign(old.formats.begin(), old.formats.begin() + std::ptrdiff_t(prefix));
    out.formats.insert(out.formats.end(), newText.size() - prefix - suffix, inserted);
    out.formats.insert(out.formats.end(), old.formats.end() - std::ptrdiff_t(suffix), old.formats.end());
    // Paragraphs keep their settings while typing leaves their number as it was.
    if (std::count(old.text.begin(), old.text.end(), u'\r') == std::count(newText.begin(), newText.end(), u'\r'))
        out.paragraphs = old.paragraphs;
    return formattedTextHtml(out);
}

}  // namespace velmora::swf
