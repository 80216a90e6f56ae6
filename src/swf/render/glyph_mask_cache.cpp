#include "swf/render/glyph_mask_cache.h"

#include "swf/render/coverage_rasteriser.h"

#include <algorithm>
#include <cmath>

namespace velmora::swf {
namespace {

// Folds value into seed and spreads every bit of it over the whole word: keys differ in a few low
// bits of several fields at once, which a plain xor would let collide.
void mix(uint64_t& seed, uint64_t value) {
    seed = (seed ^ value) * 0xBF58476D1CE4E5B9ull;
    seed ^= seed >> 31;
}

// Positions this far out are not glyphs anyone sees; they are filled (and clipped) as paths.
constexpr double kMaxPosition = 1e7;

// How far the outline reaches from its origin along one axis, in outline units: sizes are told
// apart by where its farthest point lands.
double extent(double low, double high) { return std::max({std::abs(low), std::abs(high), 1.0}); }

}  // namespace

size_t GlyphMaskCache::KeyHash::operator()(const Key& key) const {
    uint64_t seed = reinterpret_cast<uintptr_t>(key.id.owner);
    mix(seed, key.id.index);
    mix(seed, uint64_t(key.sizeX) ^ (uint64_t(key.sizeY) << 32));
    mix(seed, uint64_t(key.phaseX) | (uint64_t(key.phaseY) << 8) | (uint64_t(key.rgb) << 16));
    return size_t(seed);
}

const GlyphMaskCache::Mask* GlyphMaskCache::mask(const GlyphId& id, const QPainterPath& outline, const QRectF& bounds,
                                                 double scale, double pixelsX, double pixelsY, QPointF origin,
                                                 QRgb rgb, QPoint& placeAt) {
    const double scaleX = scale * pixelsX;  // device pixels to the outline's unit
    const double scaleY = scale * pixelsY;
    if (!enabled_ || !id || !(scaleX > 0.0) || !(scaleY > 0.0) || !std::isfinite(origin.x()) || !std::isfinite(origin.y()) ||
        std::abs(origin.x()) > kMaxPosition || std::abs(origin.y()) > kMaxPosition)
        return nullptr;
    const double reachX = extent(bounds.left(), bounds.right());
    const double reachY = extent(bounds.top(), bounds.bottom());
    if (bounds.width() * scaleX > kMaxGlyphSide || bounds.height() * scaleY > kMaxGlyphSide) return nullptr;

    Key key;
    key.id = id;
    key.sizeX = std::llround(scaleX * reachX * 64.0);
    key.sizeY = std::llround(scaleY * reachY * 64.0);
    double wholeX = std::floor(origin.x());
    double wholeY = std::floor(origin.y());
    key.phaseX = int(std::lround((origin.x() - wholeX) * kPhases));
    key.phaseY = int(std::lround((origin.y() - wholeY) * kPhases));
    if (key.phaseX == kPhases) key.phaseX = 0, wholeX += 1;
    if (key.phaseY == kPhases) key.phaseY = 0, wholeY += 1;
    key.rgb = rgb | 0xFF000000u;
    placeAt = QPoint(int(wholeX), int(wholeY));

    if (auto it = index_.find(key); it != index_.end()) {
        entries_.splice(entries_.begin(), entries_, it->second);
        return &it->second->second;
    }

    // Made at the phase of its key and at the exact size asked for: text of one size on a page is
    // at exactly one scale. Sizes within the key's rounding reuse the picture. The coverage is
    // computed from the outline's edges as filling a glyph where it stands computes it (see
    // text_painter.cpp), so a copy differs from that fill only by where its phase puts it.
    const QPointF phase(double(key.phaseX) / kPhases, double(key.phaseY) / kPhases);
    CoverageRasteriser rasteriser;
    rasteriser.reset(outline.fillRule());
    rasteriser.addPath(outline, QTransform(scaleX, 0, 0, scaleY, phase.x(), phase.y()));
    const QRect area = rasteriser.bounds();
    if (area.isEmpty()) return nullptr;
    Mask made;
    made.offset = area.topLeft();
    made.image = rasteriser.picture(area, key.rgb);
    if (made.image.isNull()) return nullptr;

    const int64_t size = int64_t(area.width()) * area.height();
    entries_.emplace_front(key, std::move(made));
    index_.emplace(key, entries_.begin());
    pixels_ += size;
    while (pixels_ > kMaxPixels && entries_.size() > 1) {
        const Entry& last = entries_.back();
        pixels_ -= int64_t(last.second.image.width()) * last.second.image.height();
        index_.erase(last.first);
        entries_.pop_back();
    }
    return &entries_.front().second;
}

void GlyphMaskCache::clear() {
    entries_.clear();
    index_.clear();
    pixels_ = 0;
}

}  // namespace velmora::swf
