#include "swf/render/html_text.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>

namespace velmora::swf {
namespace {

std::u32string toU32(const std::string& utf8) {
    const QList<uint> ucs4 = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

std::string toUtf8(const std::u32string& text) {
    return QString::fromUcs4(text.data(), qsizetype(text.size())).toStdString();
}

char32_t lower(char32_t c) { return c < 128 ? char32_t(std::tolower(int(c))) : c; }

std::u32string lowered(std::u32string s) {
    std::transform(s.begin(), s.end(), s.begin(), lower);
    return s;
}

struct Tag {
    std::u32string name;  // lower case, without the slash
    bool closing = false;
    std::map<std::u32string, std::u32string> attributes;  // names lower case
};

// Parses the inside of <...>. Attribute values may be quoted with ' or " or bare.
Tag parseTag(const std::u32string& inside) {
    Tag tag;
    size_t p = 0;
    auto skipSpace = [&] {
        while (p < inside.size() && (inside[p] == ' ' || inside[p] == '\t' || inside[p] == '\r' || inside[p] == '\n'))
            ++p;
    };
    skipSpace();
    if (p < inside.size() && inside[p] == '/') {
        tag.closing = true;
        ++p;
    }
    const size_t nameStart = p;
    while (p < inside.size() && inside[p] != ' ' && inside[p] != '/' && inside[p] != '\t' && inside[p] != '\r' &&
           inside[p] != '\n')
        ++p;
    tag.name = lowered(inside.substr(nameStart, p - nameStart));
    while (p < inside.size()) {
        skipSpace();
        const size_t keyStart = p;
        while (p < inside.size() && inside[p] != '=' && inside[p] != ' ' && inside[p] != '/') ++p;
        std::u32string key = lowered(inside.substr(keyStart, p - keyStart));
        skipSpace();
        std::u32string value;
        if (p < inside.size() && inside[p] == '=') {
            ++p;
            skipSpace();
            if (p < inside.size() && (inside[p] == '"' || inside[p] == '\'')) {
                const char32_t quote = inside[p++];
                const size_t valueStart = p;
                while (p < inside.size() && inside[p] != quote) ++p;
                value = inside.substr(valueStart, p - valueStart);
                if (p < inside.size()) ++p;
            } else {
                const size_t valueStart = p;
                while (p < inside.size() && inside[p] != ' ') ++p;
                value = inside.substr(valueStart, p - valueStart);
            }
        } else if (p < inside.size()) {
            ++p;  // a lone '/' or stray character
        }
        if (!key.empty()) tag.attributes[key] = value;
    }
    return tag;
}

// One character reference starting after '&' at p; advances p past ';'. Returns 0 when it is
// not a reference we know, leaving p alone.
char32_t parseEntity(const std::u32string& text, size_t& p) {
    const size_t end = text.find(U';', p);
    if (end == std::u32string::npos || end - p > 10) return 0;
    const std::u32string name = lowered(text.substr(p, end - p));
    char32_t c = 0;
    if (name == U"lt") c = '<';
    else if (name == U"gt") c = '>';
    else if (name == U"amp") c = '&';
    else if (name == U"quot") c = '"';
    else if (name == U"apos") c = '\'';
    else if (name == U"nbsp") c = 0xA0;
    else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        uint32_t value = 0;
        for (size_t i = hex ? 2 : 1; i < name.size(); ++i) {
            const char32_t d = name[i];
            uint32_t digit;
            if (d >= '0' && d <= '9') digit = d - '0';
            else if (hex && d >= 'a' && d <= 'f') digit = d - 'a' + 10;
            else return 0;
            value = value * (hex ? 16 : 10) + digit;
            if (value > 0x10FFFF) return 0;
        }
        c = value;
    }
    if (c != 0) p = end + 1;
    return c;
}

std::optional<Rgba> parseColor(const std::u32string& value) {
    std::string hex;
    for (char32_t c : value)
        if (c != '#') hex.push_back(char(c < 128 ? c : '?'));
    if (hex.size() != 6 || !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(c); }))
        return std::nullopt;
    const unsigned long v = std::stoul(hex, nullptr, 16);
    return Rgba{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 255};
}

std::optional<EditTextCharacter::Align> parseAlign(const std::u32string& value) {
    const std::u32string v = lowered(value);
    if (v == U"left") return EditTextCharacter::Align::Left;
    if (v == U"right") return EditTextCharacter::Align::Right;
    if (v == U"center") return EditTextCharacter::Align::Center;
    if (v == U"justify") return EditTextCharacter::Align::Justify;
    return std::nullopt;
}

class Builder {
public:
    Builder(const TextFormat& base, EditTextCharacter::Align align) {
        formats_.push_back({U"", base});
        paragraphs_.push_back({align, {}});
        align_ = align;
    }

    void text(char32_t c) {
        if (c == '\r' || c == '\n') {
            newParagraph();
            return;
        }
        paragraphClosed_ = false;
        TextParagraph& p = paragraphs_.back();
        const TextFormat& f = formats_.back().second;
        if (p.runs.empty() || !sameFormat(p.runs.back().format, f)) p.runs.push_back({U"", f});
        p.runs.back().text.push_back(c);
    }

    void tag(const Tag& tag) {
        if (tag.name == U"br") {
            newParagraph();
            return;
        }
        if (tag.name == U"textformat") {
            if (tag.closing) {
                if (blocks_.size() > 1) blocks_.pop_back();
                // A paragraph begun at the block's last </p> and still empty lies outside it.
                if (paragraphs_.back().runs.empty()) applyBlock(paragraphs_.back());
                return;
            }
            Block b = blocks_.back();
            auto read = [&](const char32_t* name, std::optional<double>& into) {
                auto it = tag.attributes.find(name);
                if (it == tag.attributes.end()) return;
                if (auto v = parseNumber(it->second)) into = std::clamp(*v, -1000.0, 10000.0) * 20.0;
            };
            read(U"leftmargin", b.leftMargin);
            read(U"rightmargin", b.rightMargin);
            read(U"indent", b.indent);
            read(U"leading", b.leading);
            if (blocks_.size() < kMaxNesting) blocks_.push_back(b);
            // Settings given before a paragraph's text are that paragraph's.
            if (paragraphs_.back().runs.empty()) applyBlock(paragraphs_.back());
            return;
        }
        if (tag.name == U"p") {
            if (!paragraphs_.back().runs.empty() || tag.closing) newParagraph();
            paragraphClosed_ = tag.closing;
            if (!tag.closing) {
                auto it = tag.attributes.find(U"align");
                if (it != tag.attributes.end())
                    if (auto a = parseAlign(it->second)) paragraphs_.back().align = *a;
            } else {
                paragraphs_.back().align = align_;
            }
            return;
        }
        if (tag.name != U"font" && tag.name != U"b" && tag.name != U"i" && tag.name != U"u" && tag.name != U"a")
            return;
        if (tag.closing) {
            // Close the innermost open tag of this name and everything opened inside it.
            for (size_t i = formats_.size(); i-- > 1;) {
                if (formats_[i].first == tag.name) {
                    formats_.resize(i);
                    break;
                }
            }
            return;
        }
        TextFormat f = formats_.back().second;
        if (tag.name == U"b") f.bold = true;
        if (tag.name == U"i") f.italic = true;
        if (tag.name == U"u") f.underline = true;
        if (tag.name == U"a") {
            auto it = tag.attributes.find(U"href");
            if (it != tag.attributes.end()) f.url = toUtf8(it->second);
        }
        if (tag.name == U"font") {
            if (auto it = tag.attributes.find(U"face"); it != tag.attributes.end()) f.face = toUtf8(it->second);
            if (auto it = tag.attributes.find(U"color"); it != tag.attributes.end())
                if (auto c = parseColor(it->second)) f.color = Rgba{c->r, c->g, c->b, f.color.a};
            if (auto it = tag.attributes.find(U"size"); it != tag.attributes.end()) f.size = parseSize(it->second, f.size);
            if (auto it = tag.attributes.find(U"letterspacing"); it != tag.attributes.end())
                if (auto v = parseNumber(it->second)) f.letterSpacing = std::clamp(*v, -100.0, 1000.0) * 20.0;
            if (auto it = tag.attributes.find(U"kerning"); it != tag.attributes.end())
                if (auto v = parseNumber(it->second)) f.kerning = *v != 0.0;
        }
        // Nesting is bounded so that a file of a million open tags cannot exhaust memory.
        if (formats_.size() < kMaxNesting) formats_.push_back({tag.name, f});
    }

    std::vector<TextParagraph> finish() {
        // The last paragraph's end is no line of its own.
        if (paragraphClosed_ && paragraphs_.size() > 1 && paragraphs_.back().runs.empty()) paragraphs_.pop_back();
        return std::move(paragraphs_);
    }

private:
    static constexpr size_t kMaxNesting = 256;

    static bool sameFormat(const TextFormat& a, const TextFormat& b) {
        return a.face == b.face && a.size == b.size && a.color == b.color && a.bold == b.bold &&
               a.italic == b.italic && a.underline == b.underline && a.url == b.url &&
               a.letterSpacing == b.letterSpacing && a.kerning == b.kerning;
    }

    static std::optional<double> parseNumber(const std::u32string& value) {
        std::string digits;
        for (char32_t c : value)
            if (c < 128) digits.push_back(char(c));
        char* end = nullptr;
        const double v = std::strtod(digits.c_str(), &end);
        if (digits.empty() || end == digits.c_str() || !std::isfinite(v)) return std::nullopt;
        return v;
    }

    // Paragraph settings of the <textformat> tags open.
    struct Block {
        std::optional<double> leftMargin, rightMargin, indent, leading;
    };

    void applyBlock(TextParagraph& p) const {
        const Block& b = blocks_.back();
        p.leftMargin = b.leftMargin;
        p.rightMargin = b.rightMargin;
        p.indent = b.indent;
        p.leading = b.leading;
    }

    static double parseSize(const std::u32string& value, double current) {
        std::string digits;
        for (char32_t c : value)
            if (c < 128) digits.push_back(char(c));
        if (digits.empty()) return current;
        const bool relative = digits[0] == '+' || digits[0] == '-';
        char* end = nullptr;
        const double v = std::strtod(digits.c_str(), &end);
        if (end == digits.c_str() || !std::isfinite(v)) return current;
        const double pixels = relative ? current / 20.0 + v : v;
        // Sizes are held to what a screen can show; a font of 10000 pixels is a hostile file.
        return std::clamp(pixels, 1.0, 1000.0) * 20.0;
    }

    void newParagraph() {
        const EditTextCharacter::Align align = paragraphs_.back().align;
        paragraphs_.push_back({align, {}});
        applyBlock(paragraphs_.back());
        paragraphClosed_ = false;
    }

    std::vector<std::pair<std::u32string, TextFormat>> formats_;
    std::vector<TextParagraph> paragraphs_;
    std::vector<Block> blocks_{Block{}};
    EditTextCharacter::Align align_;
    bool paragraphClosed_ = false;  // the last paragraph began at a </p>, with nothing since
};

}  // namespace

std::vector<TextParagraph> parseHtmlText(const std::string& utf8, const TextFormat& base,
                                         EditTextCharacter::Align baseAlign) {
    const std::u32string text = toU32(utf8);
    Builder builder(base, baseAlign);
    size_t p = 0;
    while (p < text.size()) {
        const char32_t c = text[p];
        if (c == '<') {
            const size_t end = text.find(U'>', p + 1);
            if (end == std::u32string::npos) break;  // a tag cut short ends the text
            builder.tag(parseTag(text.substr(p + 1, end - p - 1)));
            p = end + 1;
        } else if (c == '&') {
            ++p;
            const char32_t entity = parseEntity(text, p);
            builder.text(entity ? entity : U'&');
        } else {
            if (c == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ++p;
            builder.text(c);
            ++p;
        }
    }
    return builder.finish();
}

std::vector<TextParagraph> splitPlainText(const std::string& utf8, const TextFormat& base,
                                          EditTextCharacter::Align align) {
    const std::u32string text = toU32(utf8);
    std::vector<TextParagraph> paragraphs(1, TextParagraph{align, {}});
    for (size_t p = 0; p < text.size(); ++p) {
        const char32_t c = text[p];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ++p;
            paragraphs.push_back({align, {}});
            continue;
        }
        auto& runs = paragraphs.back().runs;
        if (runs.empty()) runs.push_back({U"", base});
        runs.back().text.push_back(c);
    }
    return paragraphs;
}

}  // namespace velmora::swf
