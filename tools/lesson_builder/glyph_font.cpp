#include "glyph_font.h"

#include "outline_records.h"

#include <QFont>
#include <QPainterPath>
#include <QString>
#include <cmath>
#include <stdexcept>

namespace velmora::lessons {

using test::BitWriter;

namespace {

std::u32string toCodePoints(const std::string& utf8) {
    const auto ucs4 = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

}  // namespace

GlyphFont::GlyphFont(const std::string& family) {
    QFont font(QString::fromStdString(family));
    font.setPixelSize(static_cast<int>(kEmSquare));
    font_ = QRawFont::fromFont(font);
    if (!font_.isValid()) throw std::runtime_error("font " + family + " is not installed");
}

void GlyphFont::addText(const std::string& utf8) {
    for (char32_t c : toCodePoints(utf8)) {
        if (indexOf_.count(c)) continue;
        indexOf_[c] = codes_.size();
        codes_.push_back(c);
    }
}

std::vector<uint8_t> GlyphFont::defineFont3(uint16_t fontId, const std::string& name) const {
    std::vector<std::vector<uint8_t>> shapes;
    std::vector<int16_t> advances;
    for (char32_t c : codes_) {
        const auto glyphs = font_.glyphIndexesForString(QString::fromUcs4(&c, 1));
        const quint32 glyph = glyphs.isEmpty() ? 0 : glyphs.first();
        BitWriter shape;
        writeOutline(shape, font_.pathForGlyph(glyph));
        shapes.push_back(shape.take());
        const auto advance = font_.advancesForGlyphIndexes(QList<quint32>{glyph});
        advances.push_back(static_cast<int16_t>(std::lround(advance.isEmpty() ? 0.0 : advance.first().x())));
    }
    BitWriter w;
    w.u16(fontId);
    w.u8(0x80 | 0x04 | 0x08);  // layout, wide offsets, wide codes
    w.u8(1);                   // language: Latin as the tools write it
    w.u8(static_cast<uint8_t>(name.size()));
    w.bytes({reinterpret_cast<const uint8_t*>(name.data()), name.size()});
    w.u16(static_cast<uint16_t>(codes_.size()));
    // Offsets count from the start of the offset table, which holds one entry a glyph and the
    // code table's offset.
    uint32_t offset = static_cast<uint32_t>(4 * (codes_.size() + 1));
    for (const auto& shape : shapes) {
        w.u32(offset);
        offset += static_cast<uint32_t>(shape.size());
    }
    w.u32(offset);
    for (const auto& shape : shapes) w.bytes(shape);
    for (char32_t c : codes_) w.u16(static_cast<uint16_t>(c));
    w.u16(static_cast<uint16_t>(std::lround(font_.ascent())));
    w.u16(static_cast<uint16_t>(std::lround(font_.descent())));
    w.u16(static_cast<uint16_t>(std::lround(font_.leading())));
    for (int16_t a : advances) w.u16(static_cast<uint16_t>(a));
    for (size_t i = 0; i < codes_.size(); ++i) w.rect(0, 0, 0, 0);
    w.u16(0);  // no kerning pairs
    return w.take();
}

int32_t GlyphFont::textWidth(const std::string& utf8, uint16_t heightTwips) const {
    double total = 0;
    for (char32_t c : toCodePoints(utf8)) {
        const auto glyphs = font_.glyphIndexesForString(QString::fromUcs4(&c, 1));
        const auto advance = font_.advancesForGlyphIndexes(glyphs);
        if (!advance.isEmpty()) total += advance.first().x();
    }
    return static_cast<int32_t>(std::lround(total * heightTwips / kEmSquare));
}

std::vector<uint8_t> GlyphFont::defineText2(uint16_t textId, uint16_t fontId, const std::string& utf8, int32_t x,
                                            int32_t y, uint16_t heightTwips, test::Color color) const {
    const auto codes = toCodePoints(utf8);
    std::vector<std::pair<uint32_t, int32_t>> entries;
    for (char32_t c : codes) {
        const auto glyphs = font_.glyphIndexesForString(QString::fromUcs4(&c, 1));
        const auto advance = font_.advancesForGlyphIndexes(glyphs);
        const double em = advance.isEmpty() ? 0.0 : advance.first().x();
        entries.emplace_back(static_cast<uint32_t>(indexOf_.at(c)),
                             static_cast<int32_t>(std::lround(em * heightTwips / kEmSquare)));
    }
    const int32_t width = textWidth(utf8, heightTwips);
    BitWriter w;
    w.u16(textId);
    w.rect(x, x + width, y - heightTwips, y + heightTwips / 4);
    w.matrix({});
    unsigned glyphBits = 1, advanceBits = 1;
    for (const auto& [index, advance] : entries) {
        while ((1u << glyphBits) <= index) ++glyphBits;
        advanceBits = std::max(advanceBits, BitWriter::signedBits({advance}));
    }
    w.u8(static_cast<uint8_t>(glyphBits));
    w.u8(static_cast<uint8_t>(advanceBits));
    // A record holds at most 255 glyphs; longer texts continue in further records on the same
    // baseline, their x carried over.
    for (size_t start = 0; start < entries.size() || start == 0; start += 255) {
        const size_t count = std::min<size_t>(255, entries.size() - start);
        const bool firstRecord = start == 0;
        w.u8(static_cast<uint8_t>(0x80 | (firstRecord ? 0x08 | 0x04 | 0x02 | 0x01 : 0)));
        if (firstRecord) {
            w.u16(fontId);
            w.rgba(color);
            w.u16(static_cast<uint16_t>(static_cast<int16_t>(x)));
            w.u16(static_cast<uint16_t>(static_cast<int16_t>(y)));
            w.u16(heightTwips);
        }
        w.u8(static_cast<uint8_t>(count));
        for (size_t i = start; i < start + count; ++i) {
            w.ub(entries[i].first, glyphBits);
            w.sb(entries[i].second, advanceBits);
        }
        w.flush();
        if (entries.empty()) break;
    }
    w.u8(0);
    return w.take();
}

}  // namespace velmora::lessons
