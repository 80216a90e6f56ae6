#include "swf/render/text_layout.h"

#include <QTransform>
#include <algorithm>

namespace velmora::swf {
namespace {

struct Item {
    char32_t c;
    const TextFormat* format;
    double advance;
};

struct Line {
    size_t begin;  // items [begin, end)
    size_t end;
    bool firstOfParagraph;
};

bool isSpace(char32_t c) { return c == ' ' || c == '\t' || c == 0x3000; }

// Whether two runs' characters are set in one font, so that its kerning pairs apply across them.
bool sameFont(const TextFormat& a, const TextFormat& b) {
    return &a == &b || (a.face == b.face && a.size == b.size && a.bold == b.bold && a.italic == b.italic);
}

// Where a paragraph's lines end, greedily: each line takes as many items as fit.
std::vector<Line> breakLines(const std::vector<Item>& items, double firstWidth, double width, bool wrap) {
    std::vector<Line> lines;
    size_t begin = 0;
    bool first = true;
    while (begin < items.size() || lines.empty()) {
        if (!wrap || begin >= items.size()) {
            lines.push_back({begin, items.size(), first});
            break;
        }
        const double limit = first ? firstWidth : width;
        double x = 0.0;
        size_t breakAt = 0;  // 0: no opportunity yet on this line
        size_t i = begin;
        for (; i < items.size(); ++i) {
            const Item& item = items[i];
            if (isSpace(item.c)) {
                x += item.advance;
                breakAt = i + 1;  // after the space; spaces may hang past the edge
                continue;
            }
            if (breaksAnywhere(item.c) && i > begin) breakAt = std::max(breakAt, i);
            if (x + item.advance > limit && i > begin) break;
            x += item.advance;
            if (breaksAnywhere(item.c)) breakAt = i + 1;
        }
        size_t end = i;
        if (i < items.size() && breakAt > begin) end = breakAt;
        // Never give a line nothing, whatever the width.
        if (end == begin) end = begin + 1;
        lines.push_back({begin, end, first});
        begin = end;
        first = false;
    }
    return lines;
}

}  // namespace

bool breaksAnywhere(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

TextGeometry layoutText(const std::vector<TextParagraph>& paragraphs, const TextLayoutOptions& options,
                        GlyphSource& glyphs) {
    TextGeometry geometry;
    double y = options.top;
    bool firstLineOfField = true;
    double previousDescent = 0.0;
    int32_t position = 0;  // UTF-16 units before the paragraph
    for (const TextParagraph& paragraph : paragraphs) {
        if (&paragraph != &paragraphs.front()) ++position;  // its line break
        // A paragraph's own settings stand in for the field's.
        const double leftMargin = paragraph.leftMargin.value_or(options.leftMargin);
        const double rightMargin = paragraph.rightMargin.value_or(options.rightMargin);
        const double indent = paragraph.indent.value_or(options.indent);
        const double leading = paragraph.leading.value_or(options.leading);
        const double boxWidth = std::max(0.0, options.width - leftMargin - rightMargin);
        std::vector<Item> items;
        for (const TextRun& run : paragraph.runs)
            for (char32_t c : run.text)
                items.push_back({c, &run.format, glyphs.advance(c, run.format) + run.format.letterSpacing});
        for (size_t i = 1; i < items.size(); ++i) {
            Item& left = items[i - 1];
            if (left.format->kerning && items[i].format->kerning && sameFont(*left.format, *items[i].format))
                left.advance += glyphs.kerning(left.c, items[i].c, *left.format);
        }

        // An empty paragraph still takes a line, in the format of the run it would have had.
        const TextFormat* lastFormat = paragraph.runs.empty() ? nullptr : &paragraph.runs.back().format;
        const std::vector<Line> lines =
            breakLines(items, boxWidth - indent, boxWidth, options.wordWrap);
        for (const Line& line : lines) {
            GlyphSource::Metrics m{0.0, 0.0};
            for (size_t i = line.begin; i < line.end; ++i) {
                const GlyphSource::Metrics im = glyphs.metrics(*items[i].format);
                m.ascent = std::max(m.ascent, im.ascent);
                m.descent = std::max(m.descent, im.descent);
            }
            if (line.begin == line.end) {
                static const TextFormat kDefault;
                m = glyphs.metrics(lastFormat ? *lastFormat : kDefault);
            }
            y += firstLineOfField ? m.ascent : previousDescent + leading + m.ascent;
            firstLineOfField = false;
            previousDescent = m.descent;

            size_t visibleEnd = line.end;
            while (visibleEnd > line.begin && isSpace(items[visibleEnd - 1].c)) --visibleEnd;
            double width = 0.0;
            for (size_t i = line.begin; i < visibleEnd; ++i) width += items[i].advance;
            const double lineBox = boxWidth - (line.firstOfParagraph ? indent : 0.0);
            double x = leftMargin + (line.firstOfParagraph ? indent : 0.0);
            if (paragraph.align == EditTextCharacter::Align::Right) x += lineBox - width;
            else if (paragraph.align == EditTextCharacter::Align::Center) x += (lineBox - width) / 2.0;
            // Justified lines share what the line lacks among the spaces between their words;
            // spaces before the first word are indentation and keep their width.
            double stretch = 0.0;
            size_t firstWord = line.begin;
            while (firstWord < visibleEnd && isSpace(items[firstWord].c)) ++firstWord;
            if (paragraph.align == EditTextCharacter::Align::Justify && &line != &lines.back()) {
                const auto gaps = std::count_if(items.begin() + long(firstWord), items.begin() + long(visibleEnd),
                                                [](const Item& item) { return isSpace(item.c); });
                if (gaps > 0 && lineBox > width) stretch = (lineBox - width) / double(gaps);
            }

            TextGeometry::Line& laid = geometry.lines.emplace_back();
            laid.top = y - m.ascent;
            laid.baseline = y;
            laid.bottom = y + m.descent;
            laid.width = width;
            laid.positions.reserve(line.end - line.begin + 1);
            laid.x.reserve(line.end - line.begin + 1);
            for (size_t i = line.begin; i < line.end; ++i) {
                const Item& item = items[i];
                laid.positions.push_back(position);
                laid.x.push_back(x);
                position += item.c >= 0x10000 ? 2 : 1;
                const double advance =
                    item.advance + (i >= firstWord && i < visibleEnd && isSpace(item.c) ? stretch : 0.0);
                if (!isSpace(item.c)) {
                    const GlyphSource::GlyphOutline glyph = glyphs.glyph(item.c, *item.format);
                    if (!glyph.path.isEmpty())
                        geometry.addGlyph(glyph.id, glyph.path, glyph.scale, QPointF(x, y), item.format->color);
                }
                if (item.format->underline && i < visibleEnd) {
                    const double thickness = std::max(20.0, item.format->size / 16.0);
                    QPainterPath bar;
                    bar.setFillRule(Qt::WindingFill);
                    bar.addRect(QRectF(x, y + item.format->size / 10.0, advance, thickness));
                    geometry.add(bar, item.format->color);
                }
                x += advance;
            }
            laid.positions.push_back(position);
            laid.x.push_back(x);
        }
    }
    return geometry;
}

}  // namespace velmora::swf
