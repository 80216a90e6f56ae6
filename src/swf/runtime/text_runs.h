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
    bool operator==(const CharFormat&) const = default;
};

// The settings a script's TextFormat gives; unset ones leave a character as it is.
struct CharFormatChange {
    std::optional<std::string> face;
    std::optional<double> size;
    std::optional<uint32_t> color;
    std::optional<bool> bold, italic, underline;
    std::optional<std::string> url;
    void applyTo(CharFormat& format) const;
    bool empty() const { return !face && !size && !color && !bold && !italic && !underline && !url; }
};

// A field's text (UTF-16 units, paragraphs ended by '\r', as typing counts it) with the look of
// each unit.
struct FormattedText {
    std::u16string text;
    std::vector<CharFormat> formats;  // one per unit of text
};

// The look the field's settings give its text.
CharFormat baseCharFormat(const EditTextCharacter& settings);
// A style sheet's settings for a tag (lower case) and its class attribute (empty when none).
using TagStyles = std::function<CharFormatChange(std::string_view tag, std::string_view className)>;
// Reads HTML content (<font face size color>, <b>, <i>, <u>, <a href>; <br>, <p> and line breaks
// as paragraph ends, as typing counts them), starting from base. With styles, any tag the styles
// give settings to formats the text inside it.
FormattedText parseFormattedText(std::string_view html, const CharFormat& base, const TagStyles* styles = nullptr);
// HTML that parseFormattedText reads back as text (base: all off, field's font).
std::string formattedTextHtml(const FormattedText& text);
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
