#include "platform/player/frame_picture.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

// Unchanged rows between two changed ones that still join them in one band: a band costs the
// display server a copy of its own, a few unchanged rows cost less.
constexpr int kJoinRows = 8;
// More bands than this are drawn as their bounding rectangle.
constexpr size_t kMostBands = 16;

struct Band {
    int top = 0;
    int bottom = 0;  // inclusive
    int left = 0;
    int right = 0;  // inclusive, in pixels
};

}  // namespace

QRegion changedRegion(const QImage& before, const QImage& after) {
    if (after.isNull()) return {};
    const QRegion all(after.rect());
    if (before.isNull() || before.size() != after.size() || before.format() != after.format() ||
        after.depth() % 8 != 0) {
        return all;
    }
    const auto pixelBytes = static_cast<size_t>(after.depth() / 8);
    const auto rowBytes = pixelBytes * static_cast<size_t>(after.width());
    std::vector<Band> bands;
    for (int y = 0; y < after.height(); ++y) {
        const uchar* a = before.constScanLine(y);
        const uchar* b = after.constScanLine(y);
        if (std::memcmp(a, b, rowBytes) == 0) continue;
        size_t first = 0;
        while (std::memcmp(a + first, b + first, pixelBytes) == 0) first += pixelBytes;
        size_t last = rowBytes - pixelBytes;
        while (std::memcmp(a + last, b + last, pixelBytes) == 0) last -= pixelBytes;
        const int left = static_cast<int>(first / pixelBytes);
        const int right = static_cast<int>(last / pixelBytes);
        if (!bands.empty() && y - bands.back().bottom <= kJoinRows) {
            Band& band = bands.back();
            band.bottom = y;
            band.left = std::min(band.left, left);
            band.right = std::max(band.right, right);
        } else {
            bands.push_back({y, y, left, right});
        }
    }
    QRegion changed;
    if (bands.size() > kMostBands) {
        Band whole = bands.front();
        whole.bottom = bands.back().bottom;
        for (const Band& band : bands) {
            whole.left = std::min(whole.left, band.left);
            whole.right = std::max(whole.right, band.right);
        }
        bands.assign(1, whole);
    }
    for (const Band& band : bands) {
        changed += QRect(QPoint(band.left, band.top), QPoint(band.right, band.bottom));
    }
    return changed;
}

QRegion FramePicture::redraw(QSize pixels, qreal density, const std::function<void(QPainter&)>& draw) {
    if (pixels.isEmpty()) {
        clear();
        return {};
    }
    if (spare_.size() != pixels) spare_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    if (spare_.isNull()) {  // out of memory: nothing to show rather than a crash
        clear();
        return {};
    }
    spare_.setDevicePixelRatio(density);
    {
        QPainter painter(&spare_);
        draw(painter);
    }
    const bool sameDensity = !shown_.isNull() && shown_.devicePixelRatio() == density;
    QRegion changed = sameDensity ? changedRegion(shown_, spare_) : QRegion(spare_.rect());
    std::swap(shown_, spare_);
    return changed;
}

std::optional<QRegion> FramePicture::redrawPart(QSize pixels, qreal density, const QRegion& part,
                                               const std::function<void(QPainter&)>& draw) {
    const int whole = static_cast<int>(density);
    if (shown_.isNull() || shown_.size() != pixels || shown_.devicePixelRatio() != density || whole < 1 ||
        whole != density) {
        return std::nullopt;
    }
    // On whole widget pixels, which is what the painter's clip is given in.
    QRegion widgetPixels;
    for (const QRect& r : part & shown_.rect()) {
        widgetPixels += QRect(QPoint(r.left() / whole, r.top() / whole), QPoint(r.right() / whole, r.bottom() / whole));
    }
    if (widgetPixels.isEmpty()) return QRegion();
    struct Before {
        QRect rect;  // device pixels
        QImage pixels;
    };
    std::vector<Before> before;
    for (const QRect& r : widgetPixels) {
        const QRect device(r.topLeft() * whole, r.size() * whole);
        before.push_back({device, shown_.copy(device)});
    }
    {
        QPainter painter(&shown_);
        painter.setClipRegion(widgetPixels);
        draw(painter);
    }
    QRegion changed;
    for (const Before& b : before) changed += changedRegion(b.pixels, shown_.copy(b.rect)).translated(b.rect.topLeft());
    return changed;
}

void FramePicture::clear() {
    shown_ = QImage();
    spare_ = QImage();
}

}  // namespace velmora
