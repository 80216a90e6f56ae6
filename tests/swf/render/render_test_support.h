#pragma once

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>

#include "swf/format/shape.h"
#include "swf/render/render_resources.h"
#include "swf/render/shape_path_builder.h"

namespace velmora::swf::test {

FillStyle solidFill(Rgba color);

// Edge records of an axis-aligned rectangle in twips, walked clockwise on screen (y down) with
// the fill on the inside (fill style 1 on the right of each edge).
std::vector<ShapeRecord> rectangleRecords(const Rect& r, uint32_t fill1 = 1, uint32_t line = 0);

// A DefineShape3 of one rectangle in one fill.
std::shared_ptr<ShapeCharacter> rectangleShape(uint16_t id, const Rect& r, const FillStyle& fill);

// Paints geometry into a white image of the given size with transform twips -> pixels.
QImage paintGeometry(const ShapeGeometry& geometry, QSize size, const QTransform& toDevice,
                     RenderResources& resources, const ColorTransform& cx = {});

// The colour at (x, y) as 0xAARRGGBB, unpremultiplied.
QRgb pixel(const QImage& image, int x, int y);

// Channel distance: the largest difference of any channel.
int colorDistance(QRgb a, QRgb b);

// The largest channel distance between two images of one size, pixel for pixel.
int worstDifference(const QImage& a, const QImage& b);

// Compares image against tests/swf/render/expected/<name>.png: every channel of every pixel within
// tolerance. With VELMORA_UPDATE_EXPECTED=1 in the environment the expected image is (re)written
// instead. Returns an empty string on success, what differed otherwise.
std::string compareWithExpected(const QImage& image, const std::string& name, int tolerance = 8);

}  // namespace velmora::swf::test
