#pragma once

#include <QImage>
#include <QPoint>
#include <QTransform>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "swf/format/geometry.h"

namespace velmora::swf {

// Finished pictures of characters as they were last drawn: the pixels of a shape, text or field
// at one device transform and colour transform. A lesson's pictures mostly stand still from
// frame to frame, and copying their pixels costs a fraction of filling their paths again (a
// paragraph of Chinese text is thousands of curves). Anything that changes how a picture looks
// is part of its key, so a hit draws exactly what drawing afresh would.
//
// Bounded by the pixels it holds; the least recently used pictures go first. Making a picture
// costs more than drawing directly, so only pictures that pay for themselves are made: one asked
// for a second time (a picture seen once, such as text sliding by fractions of a pixel, is never
// copied), and, when the last frame asked for more pictures than the budget holds, only while the
// cache has room without putting another out. Then the pictures already kept stay and are
// copied, the rest are drawn directly, and a frame is never slower than drawing it all directly.
class RasterCache {
public:
    static constexpr int64_t kMaxPixels = int64_t(6) << 20;       // 24 MB of ARGB32
    static constexpr int64_t kMaxPicturePixels = int64_t(2) << 20;  // larger pictures are drawn afresh
    static constexpr size_t kMaxRemembered = 65536;  // pictures asked for once, remembered by hash

    struct Key {
        const void* character = nullptr;
        uint32_t variant = 0;  // a morph shape's ratio, a field's content hash
        std::string content;   // a field's content (hashes can collide; contents cannot)
        // The device transform; of its translation only the part below a whole pixel (to the
        // nearest 1/64), since moving a picture by whole pixels does not change its pixels.
        double m[6] = {1, 0, 0, 1, 0, 0};
        ColorTransform cx;
        double stageScale = 1.0;

        bool operator==(const Key& other) const;
    };
    struct Picture {
        QImage image;  // premultiplied ARGB32
        QPoint origin; // the image's top-left pixel, relative to the whole-pixel shift of its key
    };

    // The key of a picture drawn with world; shift receives the whole pixels of world's
    // translation, to be added to Picture::origin.
    static Key makeKey(const void* character, uint32_t variant, std::string content, const QTransform& world,
                       const ColorTransform& cx, double stageScale, QPoint& shift);

    // Starts counting the pictures a new frame asks for.
    void startFrame();
    // The picture under key, or nullptr. A hit becomes the most recently used.
    const Picture* find(const Key& key);
    // Whether a picture of pixels pixels that find did not have is worth making and storing
    // (see above); when not, the caller draws directly.
    bool shouldKeep(const Key& key, int64_t pixels);
    // Stores a picture, evicting the least recently used ones beyond the budget.
    void store(const Key& key, Picture picture);
    void clear();
    int64_t pixels() const { return pixels_; }

private:
    struct KeyHash {
        size_t operator()(const Key& key) const;
    };
    using Entry = std::pair<Key, Picture>;
    std::list<Entry> entries_;  // most recent first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
    int64_t pixels_ = 0;
    std::unordered_set<size_t> seenOnce_;  // hashes of keys asked for once and not kept
    int64_t asked_ = 0;           // pixels of the pictures this frame has asked for
    int64_t askedLastFrame_ = 0;
};

}  // namespace velmora::swf
