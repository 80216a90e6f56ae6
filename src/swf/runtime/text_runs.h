#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swf/format/text.h"

namespace velmora::swf {

struct DisplayObject;
class MovieInstance;

// A field whose text is formatted in parts keeps its content as HTML runs, each run in one
// explicit <font> with its own <b>, <i>, <u> and <a>: the renderer draws such content as it
// draws any HTML field, while the field's text stays what scripts and typing count.

// The look of one character of a field's text.
struct CharFormat {
    std::string face;    // empty: the field's own font
    double size = 12.0;  // pixels
    uint32_t color = 0;  // 0xRRGGBB
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::string url;
    double letterSpacing = 0.0;  // pixels added after each character
    bool kerning = false;
    bool operator==(const CharFormat&) const = default;
};

// The settings a script's TextFormat gives; unset ones leave a character as it is.
struct CharFormatChange {
    std::optional<std::string> face;
    std::optional<double> size;
    std::optional<uint32_t> color;
    std::optional<bool> bold, italic, underline;
    std::optional<std::string> url;
    std::optional<double> letterSpacing;
    std::optional<bool> kerning;
    void applyTo(CharFormat& format) const;
    bool empty() const {
        return !face && !size && !color && !bold && !italic && !underline && !url && !letterSpacing && !kerning;
    }
};

// How one paragraph is set where it differs from the field's own settings (unset: the field's).
// Margins, indent and leading are in pixels.
struct ParagraphFormat {
    std::optional<EditTextCharacter::Align> align;
    std::optional<double> leftMargin, rightMargin, indent, leading;
    bool operator==(const ParagraphFormat&) const = default;
    // Sets what other sets.
    void merge(const ParagraphFormat& other);
    bool empty() const { return *this == ParagraphFormat{}; }
};

// What a style sheet gives one tag: the look of its text, how its paragraphs are set, and how it
// stands in the text (block elements start and end a paragraph; hidden ones are not shown).
struct TagStyle {
    enum class Display { Default, Block, Inline, None };
    CharFormatChange chars;
    ParagraphFormat paragraph;
    Display display = Display::Default;
    bool empty() const { return chars.empty() && paragraph.empty() && display == Display::Default; }
};

// A field's text (UTF-16 units, paragraphs ended by '\r', as typing counts it) with the look of
// each unit.
struct FormattedText {
    std::u16string text;
    std::vector<CharFormat> formats;  // one per unit of text
    // One per paragraph where any differs from the field's settings, else none.
    std::vector<ParagraphFormat> paragraphs;
    // The paragraph's settings (none set when paragraphs is empty or short).
    ParagraphFormat paragraph(size_t index) const { return index < paragraphs.size() ? paragraphs[index] : ParagraphFormat{}; }
};

// The look the field's settings give its text.
CharFormat baseCharFormat(const EditTextCharacter& settings);
// A style sheet's settings for a tag (lower case) and its class attribute (empty when none).
using TagStyles = std::function<TagStyle(std::string_view tag, std::string_view className)>;
// Reads HTML content (<font face size color letterspacing kerning>, <b>, <i>, <u>, <a href>,
// <p align>, <textformat leftmargin rightmargin indent leading>; <br>, <p> and line breaks as
// paragraph ends, as typing counts them; the last paragraph's </p> ends no line), starting from
// base. With styles, any tag the styles give settings to formats the text inside it: <p> and
// <li> and the tags styled display:block stand as paragraphs of their own, display:inline ones
// within the text around them, and display:none ones are left out.
FormattedText parseFormattedText(std::string_view html, const CharFormat& base, const TagStyles* styles = nullptr);
// HTML that parseFormattedText, and the renderer, read back as text (base: all off, field's
// font, the field's paragraph settings).
std::string formattedTextHtml(const FormattedText& text);
// The text as scripts read a field's htmlText: each paragraph in <P ALIGN>, each run in a <FONT>
// naming its whole look, paragraph settings other than none in <TEXTFORMAT>, all as the authoring
// tool's player writes them. The field's settings fill in what the runs leave to it.
std::string documentedHtml(const FormattedText& text, const EditTextCharacter& field, std::string_view fieldFace);
// The field's text and its look, HTML or plain.
FormattedText fieldFormattedText(const MovieInstance& movie, const DisplayObject& field);
// Makes the field keep text as runs: an HTML field whose settings no longer bold, slant or
// underline, since every run says so itself.
void setFieldFormattedText(MovieInstance& movie, DisplayObject& field, const FormattedText& text);
// The content of a field kept as runs after typing turned its text into newText: the text
// before and after the change keeps its look, new text takes typed when given, else the look of
// the text it follows.
std::string retypedRuns(std::string_view oldHtml, const std::u16string& newText, const CharFormat& base,
                        const CharFormat* typed);

}  // namespace velmora::swf
