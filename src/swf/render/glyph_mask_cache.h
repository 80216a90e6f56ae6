#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QRgb>
#include <cstdint>
#include <list>
#include <unordered_map>

namespace velmora::swf {

// Names one glyph outline: an embedded font's glyph by the font and the glyph's index, an
// installed font's by the glyph cache's number for the font and the character. A null owner
// names nothing, and such glyphs are always filled as paths.
struct GlyphId {
    const void* owner = nullptr;
    uint64_t index = 0;

    bool operator==(const GlyphId&) const = default;
    explicit operator bool() const { return owner != nullptr; }
};

// Glyphs made into pixels once and copied wherever they are drawn again: the coverage of one
// glyph outline at one size and one sub-pixel position, in one colour. Filling a glyph's curves
// costs many times more than copying its few hundred pixels, and text is mostly the same few
// glyphs at one size, so a page of text, or a subtitle line drawn afresh, costs copies.
//
// Sizes are told apart to 1/64 of a pixel across the glyph and positions to 1/kPhases of a pixel.
// Pictures are made by the same exact-area rasteriser that fills a glyph where it stands, so a
// copy differs from that fill only by the fraction of a step between its phase and the glyph's
// true position: within 4 levels of 255. Text sliding by fractions of a pixel comes back to
// positions it has been at and finds them made.
//
// Bounded by the pixels it holds, the least recently used glyphs going first. Owners are held by
// pointer: the cache must be cleared before the fonts it names go away.
class GlyphMaskCache {
public:
    static constexpr int64_t kMaxPixels = int64_t(4) << 20;  // 16 MB of ARGB32
    // Glyphs larger than this on either side are filled as paths: they are few on a page, and
    // they would crowd the small ones out.
    static constexpr int kMaxGlyphSide = 320;
    static constexpr int kPhases = 64;  // sub-pixel positions a pixel is divided into

    struct Mask {
        QImage image;   // premultiplied ARGB32 in the glyph's colour, fully opaque where covered
        QPoint offset;  // of the image's top-left pixel from the whole pixel the glyph is placed at
    };

    // The glyph outline (bounds: its bounding or control-point rectangle) in its own units,
    // scale twips to the unit, drawn with pixelsX and pixelsY device pixels to the twip (both
    // positive), its origin at device position origin, filled in rgb (alpha is left to the
    // caller's opacity). placeAt receives the whole pixel to which Mask::offset is added. Returns
    // nullptr when the glyph is too large or placed too far out to be kept; the caller then fills
    // its outline.
    const Mask* mask(const GlyphId& id, const QPainterPath& outline, const QRectF& bounds, double scale,
                     double pixelsX, double pixelsY, QPointF origin, QRgb rgb, QPoint& placeAt);

    // Whether pictures are made and kept (on at first). Off, mask() returns nullptr and every
    // glyph is filled where it stands: for measuring what the pictures save and how close they are.
    void setEnabled(bool enabled) { enabled_ = enabled; }

    void clear();
    int64_t pixels() const { return pixels_; }
    size_t size() const { return index_.size(); }

private:
    struct Key {
        GlyphId id;
        int64_t sizeX = 0;  // the outline's extent in 1/64 device pixels
        int64_t sizeY = 0;
        int phaseX = 0;
        int phaseY = 0;
        QRgb rgb = 0;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const;
    };
    using Entry = std::pair<Key, Mask>;

    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
    int64_t pixels_ = 0;
    bool enabled_ = true;
};

}  // namespace velmora::swf
