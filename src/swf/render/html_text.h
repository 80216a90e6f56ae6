#pragma once

#include <optional>
#include <string>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/format/text.h"

namespace velmora::swf {

// How a run of a text field's text looks.
struct TextFormat {
    std::string face;     // font name, UTF-8; empty means the field's own font
    double size = 240.0;  // em height in twips
    Rgba color{0, 0, 0, 255};
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::string url;  // <a href>: shown as text; clicking belongs to interaction
    double letterSpacing = 0.0;  // twips added after each character
    bool kerning = false;        // the font's pair adjustments apply between this run's characters
};

struct TextRun {
    std::u32string text;
    TextFormat format;
};

struct TextParagraph {
    EditTextCharacter::Align align = EditTextCharacter::Align::Left;
    std::vector<TextRun> runs;
    // Set by <textformat>: in twips, in place of the field's own.
    std::optional<double> leftMargin, rightMargin, indent, leading;
};

// Reads the HTML subset text fields take: <p align>, <font face size color letterspacing kerning>, <b>,
// <i>, <u>, <br>, <a href>, <textformat leftmargin rightmargin indent leading>, character
// references (&lt; &#26159; &#x662F; ...). Other tags are ignored and their text kept. Every <p>,
// </p>, <br> and line break in the text starts a new paragraph, except that the text's last </p>
// leaves no empty paragraph after it; unclosed tags end with the text; a stray closing tag is
// ignored. Sizes, spacing, margins and leading are in pixels (font sizes +n and -n relative to
// the size in force), colours #RRGGBB.
std::vector<TextParagraph> parseHtmlText(const std::string& utf8, const TextFormat& base,
                                         EditTextCharacter::Align baseAlign);

// Plain text: one paragraph per line (CR, LF or CRLF), all in one format.
std::vector<TextParagraph> splitPlainText(const std::string& utf8, const TextFormat& base,
                                          EditTextCharacter::Align align);

}  // namespace velmora::swf
