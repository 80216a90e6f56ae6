#include "swf/render/raster_cache.h"

#include <cmath>
#include <cstring>
#include <functional>

namespace velmora::swf {
namespace {

bool sameTransform(const ColorTransform& a, const ColorTransform& b) {
    return a.rMult == b.rMult && a.gMult == b.gMult && a.bMult == b.bMult && a.aMult == b.aMult &&
           a.rAdd == b.rAdd && a.gAdd == b.gAdd && a.bAdd == b.bAdd && a.aAdd == b.aAdd;
}

void mix(size_t& seed, size_t value) { seed ^= value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2); }

}  // namespace

bool RasterCache::Key::operator==(const Key& other) const {
    return character == other.character && variant == other.variant && content == other.content &&
           std::memcmp(m, other.m, sizeof m) == 0 && sameTransform(cx, other.cx) && stageScale == other.stageScale;
}

size_t RasterCache::KeyHash::operator()(const Key& key) const {
    size_t seed = std::hash<const void*>()(key.character);
    mix(seed, key.variant);
    mix(seed, std::hash<std::string>()(key.content));
    for (double v : key.m) mix(seed, std::hash<double>()(v));
    mix(seed, std::hash<double>()(key.cx.aMult));
    mix(seed, std::hash<double>()(key.cx.rMult));
    mix(seed, size_t(key.cx.rAdd) ^ (size_t(key.cx.gAdd) << 16) ^ (size_t(key.cx.bAdd) << 32) ^ (size_t(key.cx.aAdd) << 48));
    return seed;
}

RasterCache::Key RasterCache::makeKey(const void* character, uint32_t variant, std::string content,
                                      const QTransform& world, const ColorTransform& cx, double stageScale,
                                      QPoint& shift) {
    Key key;
    key.character = character;
    key.variant = variant;
    key.content = std::move(content);
    // Positions closer than 1/64 of a pixel draw the same pixels; rounding them lets a picture
    // moved by arithmetic noise still hit.
    auto whole = [](double v) { return std::isfinite(v) && std::abs(v) < 1e9 ? std::floor(v) : 0.0; };
    auto snap = [](double v) { return std::isfinite(v) ? std::round(v * 64.0) / 64.0 : 0.0; };
    const double wx = whole(world.dx());
    const double wy = whole(world.dy());
    shift = QPoint(int(wx), int(wy));
    const double values[6] = {world.m11(), world.m12(), world.m21(), world.m22(), snap(world.dx() - wx),
                              snap(world.dy() - wy)};
    std::memcpy(key.m, values, sizeof key.m);
    key.cx = cx;
    key.stageScale = stageScale;
    return key;
}

void RasterCache::startFrame() {
    askedLastFrame_ = asked_;
    asked_ = 0;
}

const RasterCache::Picture* RasterCache::find(const Key& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, it->second);
    const QImage& image = it->second->second.image;
    asked_ += int64_t(image.width()) * image.height();
    return &it->second->second;
}

bool RasterCache::shouldKeep(const Key& key, int64_t pixels) {
    asked_ += pixels;
    if (pixels > kMaxPicturePixels) return false;
    if (askedLastFrame_ > kMaxPixels && pixels_ + pixels > kMaxPixels) return false;
    // The first time a picture is asked for, it is only remembered.
    if (seenOnce_.size() >= kMaxRemembered) seenOnce_.clear();
    const size_t hash = KeyHash()(key);
    if (seenOnce_.insert(hash).second) return false;
    seenOnce_.erase(hash);
    return true;
}

void RasterCache::store(const Key& key, Picture picture) {
    const int64_t size = int64_t(picture.image.width()) * picture.image.height();
    if (size > kMaxPicturePixels) return;
    if (auto it = index_.find(key); it != index_.end()) {
        pixels_ -= int64_t(it->second->second.image.width()) * it->second->second.image.height();
        entries_.erase(it->second);
        index_.erase(it);
    }
    entries_.emplace_front(key, std::move(picture));
    index_.emplace(key, entries_.begin());
    pixels_ += size;
    while (pixels_ > kMaxPixels && entries_.size() > 1) {
        const Entry& last = entries_.back();
        pixels_ -= int64_t(last.second.image.width()) * last.second.image.height();
        index_.erase(last.first);
        entries_.pop_back();
    }
}

void RasterCache::clear() {
    entries_.clear();
    index_.clear();
    pixels_ = 0;
    seenOnce_.clear();
    asked_ = askedLastFrame_ = 0;
}

}  // namespace velmora::swf
