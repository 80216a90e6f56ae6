#pragma once

#include <QImage>
#include <QRegion>
#include <functional>
#include <optional>

class QPainter;

namespace velmora {

// A player's picture of the frame it shows, kept between redraws of the window. A new frame is
// drawn onto a second picture and compared with the one shown, so that the window redraws only
// the parts whose pixels changed, and not at all for a frame whose changes do not show (a clip
// stepping through frames that look alike, a script setting a variable). Every redraw of the
// window costs wake-ups and a round trip to the display server; a comparison costs far less.
class FramePicture {
public:
    // Draws a new picture of `pixels` (device pixels, at `density` device pixels a widget pixel)
    // with draw, which paints every pixel of it, and makes it the one shown. Returns where it
    // differs from the picture shown before, in device pixels: all of it when there was none or
    // its size or density was another. An empty size leaves no picture and returns an empty region.
    QRegion redraw(QSize pixels, qreal density, const std::function<void(QPainter&)>& draw);

    // Draws only `part` (device pixels) of the picture shown again, with draw clipped to it, for
    // a frame whose changes lie within it. Returns where its pixels changed, or nullopt, drawing
    // nothing, when no picture of this size and density is shown (the caller draws it whole).
    // The density must be whole (1, 2, ...), so that the part lands on whole widget pixels.
    std::optional<QRegion> redrawPart(QSize pixels, qreal density, const QRegion& part,
                                      const std::function<void(QPainter&)>& draw);

    // The picture shown, with its density set; null before the first redraw and after clear().
    const QImage& shown() const { return shown_; }
    // Lets go of both pictures (a movie unloaded).
    void clear();

private:
    QImage shown_;
    QImage spare_;  // the picture before, drawn over by the next redraw
};

// Where two pictures of one size and format differ, as a few rectangles: the changed rows in
// bands, each band as wide as the changes in it (rows that did not change between two changed
// ones join a band while few). Either picture null or of another size or format: all of `after`.
QRegion changedRegion(const QImage& before, const QImage& after);

}  // namespace velmora
