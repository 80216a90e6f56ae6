#include "swf/runtime/text_editing.h"

#include <algorithm>
#include <cctype>

#include "swf/format/text.h"
#include "swf/format/text_encoding.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/text_runs.h"

namespace velmora::swf {

namespace {

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

int32_t length(const std::u16string& text) { return static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX)); }

// position moved back off the second half of a pair.
int32_t onBoundary(const std::u16string& text, int32_t position) {
    position = std::clamp(position, 0, length(text));
    if (position > 0 && position < length(text) && isLow(text[size_t(position)]) && isHigh(text[size_t(position) - 1]))
        --position;
    return position;
}

int32_t nextPosition(const std::u16string& text, int32_t p) {
    if (p >= length(text)) return length(text);
    if (isHigh(text[size_t(p)]) && p + 1 < length(text) && isLow(text[size_t(p) + 1])) return p + 2;
    return p + 1;
}

int32_t previousPosition(const std::u16string& text, int32_t p) {
    if (p <= 0) return 0;
    if (isLow(text[size_t(p) - 1]) && p >= 2 && isHigh(text[size_t(p) - 2])) return p - 2;
    return p - 1;
}

char32_t codePointAt(const std::u16string& text, int32_t p) {
    const char16_t u = text[size_t(p)];
    if (isHigh(u) && p + 1 < length(text) && isLow(text[size_t(p) + 1]))
        return 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[size_t(p) + 1]) - 0xDC00);
    return u;
}

void appendCodePoint(std::u16string& out, char32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out.push_back(char16_t(0xD800 + (c >> 10)));
        out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(char16_t(c));
    }
}

// Words for moving by word and double-clicking: runs of one class. CJK text has no spaces
// between its words, so a run of it counts as one.
enum class CharClass { Space, Word, Cjk, Break, Other };

CharClass classOf(char32_t c) {
    if (c == '\r' || c == '\n') return CharClass::Break;
    if (c == ' ' || c == '\t' || c == 0x3000 || c == 0xA0) return CharClass::Space;
    if ((c >= 0x3400 && c <= 0x9FFF) || (c >= 0x3040 && c <= 0x30FF) || (c >= 0xAC00 && c <= 0xD7AF) ||
        (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x2FFFF))
        return CharClass::Cjk;
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '\'') return CharClass::Word;
    // Letters of other scripts (accented Latin, Greek, Cyrillic, ...) outside the punctuation blocks.
    if (c >= 0xC0 && c != 0xD7 && c != 0xF7 && !(c >= 0x2000 && c <= 0x2BFF) && !(c >= 0x3000 && c <= 0x303F) &&
        !(c >= 0xFF00 && c <= 0xFF65))
        return CharClass::Word;
    return CharClass::Other;
}

CharClass classAt(const std::u16string& text, int32_t p) { return classOf(codePointAt(text, p)); }

int32_t wordRight(const std::u16string& text, int32_t p) {
    const int32_t n = length(text);
    if (p >= n) return n;
    const CharClass first = classAt(text, p);
    if (first == CharClass::Break) return nextPosition(text, p);
    if (first != CharClass::Space) {
        if (first == CharClass::Other) p = nextPosition(text, p);
        else
            while (p < n && classAt(text, p) == first) p = nextPosition(text, p);
    }
    while (p < n && classAt(text, p) == CharClass::Space) p = nextPosition(text, p);
    return p;
}

int32_t wordLeft(const std::u16string& text, int32_t p) {
    while (p > 0 && classAt(text, previousPosition(text, p)) == CharClass::Space) p = previousPosition(text, p);
    if (p == 0) return 0;
    const CharClass cls = classAt(text, previousPosition(text, p));
    if (cls == CharClass::Other || cls == CharClass::Break) return previousPosition(text, p);
    while (p > 0 && classAt(text, previousPosition(text, p)) == cls) p = previousPosition(text, p);
    return p;
}

// The text's own lines, for a model with no layout.
class ParagraphLines final : public EditLines {
public:
    explicit ParagraphLines(const std::u16string& text) : text_(text) {}
    int32_t lineStart(int32_t p) const override {
        while (p > 0 && text_[size_t(p) - 1] != u'\r') --p;
        return p;
    }
    int32_t lineEnd(int32_t p) const override {
        while (p < length(text_) && text_[size_t(p)] != u'\r') ++p;
        return p;
    }
    int32_t vertical(int32_t p, int32_t lines) const override {
        const int32_t column = p - lineStart(p);
        int32_t start = lineStart(p);
        for (; lines < 0; ++lines) {
            if (start == 0) return 0;
            start = lineStart(start - 1);
        }
        for (; lines > 0; --lines) {
            const int32_t end = lineEnd(start);
            if (end >= length(text_)) return length(text_);
            start = end + 1;
        }
        return onBoundary(text_, std::min(start + column, lineEnd(start)));
    }

private:
    const std::u16string& text_;
};

int32_t anchorOf(const TextFieldState& s) { return s.caret == s.selectionBegin ? s.selectionEnd : s.selectionBegin; }

void select(TextFieldState& s, int32_t anchor, int32_t caret) {
    s.caret = caret;
    s.selectionBegin = std::min(anchor, caret);
    s.selectionEnd = std::max(anchor, caret);
}

void replaceRange(std::u16string& text, TextFieldState& s, std::u16string_view input) {
    text.replace(size_t(s.selectionBegin), size_t(s.selectionEnd - s.selectionBegin), input);
    const int32_t caret = s.selectionBegin + static_cast<int32_t>(input.size());
    select(s, caret, caret);
}

// Decodes one UTF-8 sequence at p, moving p past it; U+FFFD for a broken one.
char32_t decodeUtf8(std::string_view s, size_t& p) {
    const auto b = static_cast<unsigned char>(s[p++]);
    if (b < 0x80) return b;
    int extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (b >= 0xF5) extra = -1;
    if (extra < 0) return 0xFFFD;
    char32_t c = b & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if (p >= s.size() || (static_cast<unsigned char>(s[p]) & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (static_cast<unsigned char>(s[p++]) & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    return c;
}

// HTML content as plain text, its paragraphs as the renderer makes them: <br> and </p> break,
// <p> breaks when text came before it in the paragraph, line breaks in the source break.
std::u16string htmlPlainText(std::string_view html) {
    std::u16string out;
    size_t lineStart = 0;
    size_t p = 0;
    while (p < html.size()) {
        const char c = html[p];
        if (c == '<') {
            const size_t end = html.find('>', p + 1);
            if (end == std::string_view::npos) break;
            std::string name;
            size_t q = p + 1;
            const bool closing = q < end && html[q] == '/';
            if (closing) ++q;
            while (q < end && std::isalpha(static_cast<unsigned char>(html[q]))) name.push_back(char(std::tolower(html[q++])));
            if (name == "br" || (name == "p" && (closing || out.size() > lineStart))) {
                out.push_back(u'\r');
                lineStart = out.size();
            }
            p = end + 1;
        } else if (c == '&') {
            const size_t end = html.find(';', p + 1);
            const std::string_view entity = end == std::string_view::npos || end - p > 10 ? std::string_view() : html.substr(p + 1, end - p - 1);
            char32_t decoded = 0;
            if (entity == "lt") decoded = '<';
            else if (entity == "gt") decoded = '>';
            else if (entity == "amp") decoded = '&';
            else if (entity == "quot") decoded = '"';
            else if (entity == "apos") decoded = '\'';
            else if (entity == "nbsp") decoded = 0xA0;
            else if (entity.size() > 1 && entity[0] == '#') {
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                char32_t v = 0;
                bool ok = entity.size() > (hex ? 2u : 1u);
                for (char d : entity.substr(hex ? 2 : 1)) {
                    const int digit = std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
                                      : hex && std::isxdigit(static_cast<unsigned char>(d)) ? std::tolower(d) - 'a' + 10
                                                                                           : -1;
                    if (digit < 0 || v > 0x10FFFF) ok = false;
                    else v = v * (hex ? 16 : 10) + char32_t(digit);
                }
                if (ok && v > 0 && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) decoded = v;
            }
            if (decoded) {
                appendCodePoint(out, decoded);
                p = end + 1;
            } else {
                out.push_back(u'&');
                ++p;
            }
        } else {
            const char32_t cp = decodeUtf8(html, p);
            if (cp == '\r' || cp == '\n') {
                if (cp == '\r' && p < html.size() && html[p] == '\n') ++p;
                out.push_back(u'\r');
                lineStart = out.size();
            } else {
                appendCodePoint(out, cp);
            }
        }
    }
    return out;
}

// The tags an HTML content opens with, before its first text: the format its text starts in.
std::string openingTags(const std::string& html) {
    size_t p = 0;
    while (p < html.size() && html[p] == '<') {
        const size_t end = html.find('>', p);
        if (end == std::string::npos || html.compare(p, 2, "</") == 0) break;
        std::string name;
        for (size_t q = p + 1; q < end && std::isalpha(static_cast<unsigned char>(html[q])); ++q)
            name.push_back(char(std::tolower(html[q])));
        if (name == "br") break;
        p = end + 1;
    }
    return html.substr(0, p);
}

}  // namespace

bool restrictAllows(std::string_view restrict, char32_t c) {
    if (restrict.empty()) return true;
    const std::u16string rule = toUtf16(restrict);
    // A rule that starts by excluding allows everything else; one that starts by including
    // allows only what it names.
    bool allowed = rule[0] == u'^';
    bool including = true;
    int32_t p = 0;
    const int32_t n = length(rule);
    while (p < n) {
        char32_t first = codePointAt(rule, p);
        if (first == '^') {
            including = !including;
            p = nextPosition(rule, p);
            continue;
        }
        if (first == '\\' && p + 1 < n) {
            p = nextPosition(rule, p);
            first = codePointAt(rule, p);
        }
        p = nextPosition(rule, p);
        char32_t last = first;
        if (p + 1 < n && rule[size_t(p)] == u'-') {
            int32_t q = p + 1;
            if (rule[size_t(q)] == u'\\' && q + 1 < n) ++q;
            last = codePointAt(rule, q);
            p = nextPosition(rule, q);
        }
        if (c >= first && c <= last) allowed = including;
    }
    return allowed;
}

void clampState(const std::u16string& text, TextFieldState& s) {
    const int32_t anchor = onBoundary(text, anchorOf(s));
    select(s, anchor, onBoundary(text, s.caret));
}

std::u16string selectedText(const std::u16string& text, const TextFieldState& state) {
    TextFieldState s = state;
    clampState(text, s);
    return text.substr(size_t(s.selectionBegin), size_t(s.selectionEnd - s.selectionBegin));
}

bool typeText(std::u16string& text, TextFieldState& s, std::u16string_view input, const EditRules& rules) {
    clampState(text, s);
    std::u16string allowed;
    const std::u16string in(input);
    for (int32_t p = 0; p < length(in); p = nextPosition(in, p)) {
        char32_t c = codePointAt(in, p);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && p + 1 < length(in) && in[size_t(p) + 1] == u'\n') ++p;
            c = rules.multiline ? U'\r' : U' ';
            if (c == U'\r') {
                allowed.push_back(u'\r');
                continue;
            }
        }
        if ((c < 0x20 && c != '\t') || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) continue;
        if (!restrictAllows(rules.restrict, c)) continue;
        appendCodePoint(allowed, c);
    }
    if (rules.maxChars > 0) {
        const int32_t room = rules.maxChars - (length(text) - (s.selectionEnd - s.selectionBegin));
        if (room < length(allowed)) allowed.resize(size_t(onBoundary(allowed, std::max(room, 0))));
    }
    if (allowed.empty()) return false;
    replaceRange(text, s, allowed);
    return true;
}

bool replaceSelected(std::u16string& text, TextFieldState& s, std::u16string_view input) {
    clampState(text, s);
    if (input.empty() && s.selectionBegin == s.selectionEnd) return false;
    replaceRange(text, s, input);
    return true;
}

bool deleteText(std::u16string& text, TextFieldState& s, bool backward, bool byWord) {
    clampState(text, s);
    if (s.selectionBegin == s.selectionEnd) {
        const int32_t other = backward ? (byWord ? wordLeft(text, s.caret) : previousPosition(text, s.caret))
                                       : (byWord ? wordRight(text, s.caret) : nextPosition(text, s.caret));
        if (other == s.caret) return false;
        select(s, other, s.caret);
    }
    replaceRange(text, s, {});
    return true;
}

void moveCaret(const std::u16string& text, TextFieldState& s, CaretMove move, bool extend, const EditLines* lines) {
    clampState(text, s);
    const ParagraphLines ownLines(text);
    if (!lines) lines = &ownLines;
    const bool collapsing = !extend && s.selectionBegin != s.selectionEnd;
    int32_t to = s.caret;
    switch (move) {
    case CaretMove::Left: to = collapsing ? s.selectionBegin : previousPosition(text, s.caret); break;
    case CaretMove::Right: to = collapsing ? s.selectionEnd : nextPosition(text, s.caret); break;
    case CaretMove::WordLeft: to = wordLeft(text, s.caret); break;
    case CaretMove::WordRight: to = wordRight(text, s.caret); break;
    case CaretMove::LineStart: to = lines->lineStart(s.caret); break;
    case CaretMove::LineEnd: to = lines->lineEnd(s.caret); break;
    case CaretMove::TextStart: to = 0; break;
    case CaretMove::TextEnd: to = length(text); break;
    case CaretMove::Up: to = lines->vertical(s.caret, -1); break;
    case CaretMove::Down: to = lines->vertical(s.caret, 1); break;
    }
    placeCaret(text, s, to, extend);
}

void placeCaret(const std::u16string& text, TextFieldState& s, int32_t position, bool extend) {
    clampState(text, s);
    const int32_t to = onBoundary(text, position);
    select(s, extend ? anchorOf(s) : to, to);
}

void selectAll(const std::u16string& text, TextFieldState& s) { select(s, 0, length(text)); }

void selectWord(const std::u16string& text, TextFieldState& s, int32_t position) {
    int32_t p = onBoundary(text, position);
    const int32_t n = length(text);
    if (p >= n) p = previousPosition(text, n);
    if (n == 0) return select(s, 0, 0);
    const CharClass cls = classAt(text, p);
    int32_t begin = p;
    int32_t end = nextPosition(text, p);
    if (cls != CharClass::Other && cls != CharClass::Break) {
        while (begin > 0 && classAt(text, previousPosition(text, begin)) == cls) begin = previousPosition(text, begin);
        while (end < n && classAt(text, end) == cls) end = nextPosition(text, end);
    }
    select(s, begin, end);
}

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t p = 0; p < utf8.size();) appendCodePoint(out, decodeUtf8(utf8, p));
    return out;
}

std::string fromUtf16(std::u16string_view utf16) {
    const std::u16string text(utf16);
    std::string out;
    out.reserve(text.size());
    for (int32_t p = 0; p < length(text); p = nextPosition(text, p)) {
        char32_t c = codePointAt(text, p);
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

const EditTextCharacter* editTextOf(const DisplayObject& object) {
    if (!object.character || object.character->kind != CharacterKind::EditText) return nullptr;
    return static_cast<const EditTextCharacter*>(object.character.get());
}

bool isInputField(const DisplayObject& object) {
    const EditTextCharacter* field = editTextOf(object);
    return field && !field->readOnly && !(object.textState && object.textState->styled);
}

bool isSelectableField(const DisplayObject& object) {
    const EditTextCharacter* field = editTextOf(object);
    return field && (!field->readOnly || !field->noSelect);
}

std::u16string fieldText(const DisplayObject& field, uint8_t swfVersion) {
    const EditTextCharacter* character = editTextOf(field);
    if (!character) return {};
    // The same choice as the renderer's: the field's own text once it has any.
    const bool own = !field.text.empty() || !character->variableName.empty() || field.textState;
    const std::string content = own ? field.text : toUtf8(character->initialText, swfVersion);
    if (character->html) return htmlPlainText(content);
    std::u16string text = toUtf16(content);
    // One break character per line break, so that positions count as the layout counts lines.
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        out.push_back(text[i] == u'\n' ? u'\r' : text[i]);
    }
    return out;
}

void setFieldText(DisplayObject& field, const std::u16string& text, uint8_t swfVersion) {
    const EditTextCharacter* character = editTextOf(field);
    if (!character) return;
    field.ensureTextState();
    if (!character->html) {
        field.text = fromUtf16(text);
        return;
    }
    const bool own = !field.text.empty() || !character->variableName.empty();
    if (field.textState->formattedRuns) {
        field.text = retypedRuns(own ? field.text : toUtf8(character->initialText, swfVersion), text,
                                 baseCharFormat(*character), field.textState->newTextFormat.get());
        return;
    }
    std::string html = openingTags(own ? field.text : toUtf8(character->initialText, swfVersion));
    for (char c : fromUtf16(text)) {
        switch (c) {
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '&': html += "&amp;"; break;
        case '\r': html += "<br>"; break;
        default: html.push_back(c);
        }
    }
    field.text = std::move(html);
}

EditRules editRulesOf(const DisplayObject& field) {
    EditRules rules;
    if (const EditTextCharacter* character = editTextOf(field)) {
        rules.maxChars = character->maxLength.value_or(0);
        rules.multiline = character->multiline;
        rules.restrict = character->restrictTo;
    }
    return rules;
}

uint8_t movieVersion(const MovieInstance& movie) { return movie.movie().version; }

void noteFieldChange(MovieInstance& movie, DisplayObject& field, bool textChanged) {
    if (textChanged) movie.textEdited(field);
    movie.noteChange();
}

void replaceSelection(MovieInstance& movie, DisplayObject& field, std::string_view utf8) {
    if (!editTextOf(field)) return;
    const uint8_t version = movieVersion(movie);
    std::u16string text = fieldText(field, version);
    TextFieldState& state = field.ensureTextState();
    if (replaceSelected(text, state, toUtf16(utf8))) setFieldText(field, text, version);
    movie.noteChange();
}

}  // namespace velmora::swf
