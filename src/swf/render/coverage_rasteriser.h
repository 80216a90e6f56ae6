#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QTransform>
#include <vector>

namespace velmora::swf {

// How much of each pixel an outline covers, computed exactly from its edges rather than sampled:
// for every pixel, the area inside the outline under its fill rule (non-zero or even-odd), crossing
// and overlapping contours included. The same outline placed at two positions a whole pixel apart
// gives the same pixels, so glyphs made into pictures once and glyphs filled where they stand
// agree on where every edge is.
class CoverageRasteriser {
public:
    // Curves are divided into lines at most this far from the curve, in device pixels.
    static constexpr double kFlatness = 1.0 / 64.0;
    // Outlines with more edges than this after division are refused (rasterise returns false).
    static constexpr size_t kMaxEdges = 200000;

    // Starts an outline in device pixels. The previous one is forgotten.
    void reset(Qt::FillRule rule);
    // Adds path mapped by toDevice (which must be affine), its curves divided into lines. Closed
    // contours are assumed: each subpath is closed back to its start.
    void addPath(const QPainterPath& path, const QTransform& toDevice);
    // Adds one closed polygon already in device pixels.
    void addPolygon(const std::vector<QPointF>& points);

    // The device rectangle the added edges reach, whole pixels.
    QRect bounds() const;

    // Writes the coverage of every pixel of area (device pixels) into coverage, row by row,
    // area.width() values a row, each in [0, 1]. Returns false (coverage left empty) when the
    // outline has more than kMaxEdges edges or area is empty.
    bool rasterise(const QRect& area, std::vector<float>& coverage) const;

    // The outline over area as a premultiplied ARGB32 picture in rgb (alpha ignored), fully
    // opaque where fully covered; a null image when rasterise fails or memory runs out.
    QImage picture(const QRect& area, QRgb rgb) const;

private:
    struct Edge {
        double x0, y0, x1, y1;  // y0 < y1
        int dir;                // +1 where the contour runs down, -1 up
    };
    void addEdge(QPointF a, QPointF b);

    std::vector<Edge> edges_;
    Qt::FillRule rule_ = Qt::OddEvenFill;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
};

}  // namespace velmora::swf
