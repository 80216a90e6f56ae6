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

FormattedText parseFormattedText(std::string_view html, const CharFormat& base, const TagStyles* styles) {
    FormattedText out;
    std::vector<std::pair<std::string, CharFormat>> open{{"", base}};
    size_t lineStart = 0;
    auto put = [&](std::u16string units) {
        out.text += units;
        out.formats.insert(out.formats.end(), units.size(), open.back().second);
    };
    auto breakLine = [&] {
        put(u"\r");
        lineStart = out.text.size();
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
            if (name == "br" || (name == "p" && (closing || out.text.size() > lineStart))) breakLine();
            if (name == "br") continue;
            CharFormatChange styled;
            if (styles && !closing) styled = (*styles)(name, attribute(inside, "class").value_or(""));
            const bool formatting = name == "font" || name == "b" || name == "i" || name == "u" || name == "a";
            if (!formatting && (closing ? !styles : styled.empty())) continue;
            if (closing) {
                for (size_t i = open.size(); i-- > 1;) {
                    if (open[i].first == name) {
                        open.resize(i);
                        break;
                    }
                }
                continue;
            }
            CharFormat f = open.back().second;
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
            }
            styled.applyTo(f);
            if (open.size() < kMaxNesting) open.emplace_back(name, std::move(f));
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
            breakLine();
        } else {
            size_t next = p;
            while (next < html.size() && html[next] != '<' && html[next] != '&' && html[next] != '\r' && html[next] != '\n')
                ++next;
            put(toUtf16(html.substr(p, next - p)));
            p = next;
        }
    }
    return out;
}

std::string formattedTextHtml(const FormattedText& text) {
    std::string out;
    size_t i = 0;
    while (i < text.text.size()) {
        if (text.text[i] == u'\r') {
            out += "<br>";
            ++i;
            continue;
        }
        const CharFormat& f = i < text.formats.size() ? text.formats[i] : text.formats.back();
        size_t end = i;
        while (end < text.text.size() && text.text[end] != u'\r' && (end >= text.formats.size() || text.formats[end] == f))
            ++end;
        char color[8];
        std::snprintf(color, sizeof color, "#%06X", unsigned(f.color & 0xFFFFFF));
        out += "<font";
        if (!f.face.empty()) {
            out += " face=\"";
            escapeInto(out, f.face, true);
            out += '"';
        }
        out += " size=\"" + sizeText(f.size) + "\" color=\"" + color + "\">";
        if (!f.url.empty()) {
            out += "<a href=\"";
            escapeInto(out, f.url, true);
            out += "\">";
        }
        if (f.bold) out += "<b>";
        if (f.italic) out += "<i>";
        if (f.underline) out += "<u>";
        escapeInto(out, fromUtf16(std::u16string_view(text.text).substr(i, end - i)), false);
        if (f.underline) out += "</u>";
        if (f.italic) out += "</i>";
        if (f.bold) out += "</b>";
        if (!f.url.empty()) out += "</a>";
        out += "</font>";
        i = end;
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
    return formattedTextHtml(out);
}

}  // namespace velmora::swf
