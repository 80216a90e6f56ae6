#include "swf/runtime/text_field_settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "swf/format/text_encoding.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {

namespace {

// Space between a field's edge and its text, twips, as the renderer keeps it.
constexpr double kGutter = 40.0;
// Replaced settings kept per field before the oldest is let go.
constexpr size_t kRetiredKept = 16;

// Code points of UTF-8 text; a stray byte counts as one.
template <typename Fn>
void forEachCodePoint(std::string_view text, Fn&& fn) {
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 1;
        if (i + n > text.size()) {
            fn(char32_t(b));
            ++i;
            continue;
        }
        char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        for (size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        fn(c);
        i += n;
    }
}

void appendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool isCjk(char32_t c) { return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xFF00 && c <= 0xFFEF); }

// Without the renderer: lines by paragraph, half an em a character (a full em for CJK).
TextFieldLayout estimate(const EditTextCharacter& settings, const std::string& plain) {
    TextFieldLayout layout;
    const double size = std::clamp<double>(settings.fontHeight, 20.0, 20000.0);
    const double lineHeight = size * 1.15;
    double width = 0.0;
    auto endLine = [&] {
        const double top = layout.lines.empty() ? 0.0 : layout.lines.back().bottom + settings.leading;
        layout.lines.push_back({top, top + lineHeight, width});
        layout.textWidth = std::max(layout.textWidth, width);
        width = 0.0;
    };
    forEachCodePoint(plain, [&](char32_t c) {
        if (c == '\r' || c == '\n') endLine();
        else width += isCjk(c) ? size : size / 2.0;
    });
    endLine();
    layout.textHeight = layout.lines.back().bottom;
    return layout;
}

double visibleHeight(const EditTextCharacter& settings) {
    return std::max(0.0, double(settings.bounds.yMax) - settings.bounds.yMin - 2 * kGutter);
}

}  // namespace

const EditTextCharacter& fieldSettings(const DisplayObject& field) {
    return static_cast<const EditTextCharacter&>(*field.character);
}

bool changeFieldSettings(MovieInstance& movie, DisplayObject& field,
                         const std::function<void(EditTextCharacter&)>& change) {
    const EditTextCharacter& now = fieldSettings(field);
    auto copy = std::make_shared<EditTextCharacter>(now);
    change(*copy);
    const auto same = [](const EditTextCharacter& a, const EditTextCharacter& b) {
        return a.bounds.xMin == b.bounds.xMin && a.bounds.xMax == b.bounds.xMax && a.bounds.yMin == b.bounds.yMin &&
               a.bounds.yMax == b.bounds.yMax && a.wordWrap == b.wordWrap && a.multiline == b.multiline &&
               a.password == b.password && a.readOnly == b.readOnly && a.autoSize == b.autoSize &&
               a.noSelect == b.noSelect && a.border == b.border && a.background == b.background &&
               a.backgroundColor == b.backgroundColor && a.borderColor == b.borderColor && a.html == b.html &&
               a.useOutlines == b.useOutlines && a.fontHeight == b.fontHeight && a.textColor == b.textColor &&
               a.maxLength == b.maxLength && a.align == b.align && a.leftMargin == b.leftMargin &&
               a.rightMargin == b.rightMargin && a.indent == b.indent && a.leading == b.leading &&
               a.autoSizeAnchor == b.autoSizeAnchor && a.restrictTo == b.restrictTo && a.face == b.face &&
               a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
               a.variableName == b.variableName;
    };
    if (same(now, *copy)) return false;
    auto& retired = field.ensureTextState().retiredSettings;
    retired.push_back(field.character);
    if (retired.size() > kRetiredKept) retired.erase(retired.begin());
    field.character = std::move(copy);
    movie.noteChange();
    return true;
}

std::string fieldContent(const MovieInstance& movie, const DisplayObject& field) {
    const EditTextCharacter& settings = fieldSettings(field);
    // As the renderer decides: a field bound to a variable, or one a script or the user has
    // touched, shows its own content, even none.
    if (!field.text.empty() || !settings.variableName.empty() || field.textState) return field.text;
    return toUtf8(settings.initialText, movie.movie().version);
}

void seedFieldText(const MovieInstance& movie, DisplayObject& field) {
    const EditTextCharacter& settings = fieldSettings(field);
    if (field.text.empty() && settings.variableName.empty()) field.text = toUtf8(settings.initialText, movie.movie().version);
}

std::string fieldPlainText(const MovieInstance& movie, const DisplayObject& field) {
    std::string content = fieldContent(movie, field);
    return fieldSettings(field).html ? htmlToPlain(content) : content;
}

void setFieldContent(MovieInstance& movie, DisplayObject& field, std::string content) {
    field.ensureTextState();
    if (field.text != content) {
        field.text = std::move(content);
        movie.noteChange();
    }
    fitAutoSize(movie, field);
}

TextFieldLayout measureField(MovieInstance& movie, const DisplayObject& field) {
    const EditTextCharacter& settings = fieldSettings(field);
    if (TextFieldMeasure* measure = movie.textMeasure()) {
        TextFieldLayout layout = measure->measure(settings, fieldContent(movie, field));
        if (!layout.lines.empty()) return layout;
    }
    return estimate(settings, fieldPlainText(movie, field));
}

int32_t maxScroll(const EditTextCharacter& settings, const TextFieldLayout& layout) {
    const double visible = visibleHeight(settings);
    size_t first = layout.lines.size();
    while (first > 1 && layout.lines.back().bottom - layout.lines[first - 2].top <= visible + 0.5) --first;
    return static_cast<int32_t>(std::max<size_t>(first, 1));
}

int32_t bottomScroll(const EditTextCharacter& settings, const TextFieldLayout& layout, int32_t scroll) {
    const double visible = visibleHeight(settings);
    const size_t count = layout.lines.size();
    if (count == 0) return 1;
    const size_t first = static_cast<size_t>(std::clamp<int32_t>(scroll, 1, int32_t(count))) - 1;
    size_t last = first;
    while (last + 1 < count && layout.lines[last + 1].bottom - layout.lines[first].top <= visible + 0.5) ++last;
    return static_cast<int32_t>(last + 1);
}

int32_t maxHScroll(const EditTextCharacter& settings, const TextFieldLayout& layout) {
    if (settings.wordWrap) return 0;
    const double room = double(settings.bounds.xMax) - settings.bounds.xMin - 2 * kGutter - settings.leftMargin -
                        settings.rightMargin;
    return static_cast<int32_t>(std::max(0.0, std::ceil((layout.textWidth - room) / 20.0)));
}

void fitAutoSize(MovieInstance& movie, DisplayObject& field) {
    if (!fieldSettings(field).autoSize) return;
    const TextFieldLayout layout = measureField(movie, field);
    changeFieldSettings(movie, field, [&](EditTextCharacter& s) {
        Rect& b = s.bounds;
        const auto height = static_cast<int32_t>(std::ceil(layout.textHeight + 2 * kGutter));
        b.yMax = b.yMin + height;
        if (s.wordWrap) return;  // wrapped text keeps its width and grows down
        const auto width =
            static_cast<int32_t>(std::ceil(layout.textWidth + 2 * kGutter + s.leftMargin + s.rightMargin));
        switch (s.autoSizeAnchor) {
        case EditTextCharacter::Align::Right: b.xMin = b.xMax - width; break;
        case EditTextCharacter::Align::Center: {
            const int32_t middle = b.xMin + (b.xMax - b.xMin) / 2;
            b.xMin = middle - width / 2;
            b.xMax = b.xMin + width;
            break;
        }
        default: b.xMax = b.xMin + width; break;
        }
    });
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

std::string htmlToPlain(std::string_view html) {
    std::string out;
    bool paragraphOpen = false;
    for (size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<') {
            const size_t close = html.find('>', i);
            if (close == std::string_view::npos) break;  // an unfinished tag ends the text
            std::string tag;
            for (size_t k = i + 1; k < close && tag.size() < 8; ++k) {
                const char t = html[k];
                if (t == ' ' || t == '\t' || t == '\n' || t == '\r' || (t == '/' && !tag.empty())) break;
                tag += char(std::tolower(static_cast<unsigned char>(t)));
            }
            if (tag == "br" || (tag == "/p" && paragraphOpen)) out += '\r';
            if (tag == "/p" || tag == "/li") paragraphOpen = false;
            if (tag == "p" || tag == "li") {
                // A paragraph that starts where a line has text starts a new line.
                if (paragraphOpen || (!out.empty() && out.back() != '\r')) out += '\r';
                paragraphOpen = true;
            }
            i = close + 1;
            continue;
        }
        if (c == '&') {
            const size_t semi = html.find(';', i);
            if (semi != std::string_view::npos && semi - i <= 10) {
                const std::string_view name = html.substr(i + 1, semi - i - 1);
                char32_t decoded = 0;
                if (name == "lt") decoded = '<';
                else if (name == "gt") decoded = '>';
                else if (name == "amp") decoded = '&';
                else if (name == "quot") decoded = '"';
                else if (name == "apos") decoded = '\'';
                else if (name == "nbsp") decoded = 0xA0;
                else if (name.size() > 1 && name[0] == '#') {
                    const bool hex = name[1] == 'x' || name[1] == 'X';
                    uint32_t v = 0;
                    bool ok = name.size() > (hex ? 2u : 1u);
                    for (size_t k = hex ? 2 : 1; k < name.size() && ok; ++k) {
                        const int d = std::isdigit(static_cast<unsigned char>(name[k])) ? name[k] - '0'
                                      : hex && std::isxdigit(static_cast<unsigned char>(name[k]))
                                          ? std::tolower(static_cast<unsigned char>(name[k])) - 'a' + 10
                                          : -1;
                        ok = d >= 0 && v <= 0x10FFFF;
                        v = v * (hex ? 16 : 10) + uint32_t(std::max(d, 0));
                    }
                    if (ok && v > 0 && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) decoded = v;
                }
                if (decoded) {
                    appendCodePoint(out, decoded);
                    i = semi + 1;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    // The last paragraph's end is no line of its own.
    if (!out.empty() && out.back() == '\r') out.pop_back();
    return out;
}

int32_t utf16Length(std::string_view text) {
    int64_t units = 0;
    forEachCodePoint(text, [&](char32_t c) { units += c > 0xFFFF ? 2 : 1; });
    return static_cast<int32_t>(std::min<int64_t>(units, INT32_MAX));
}

}  // namespace velmora::swf
