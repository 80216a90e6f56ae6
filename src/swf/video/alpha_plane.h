#pragma once

#include <QImage>
#include <cstdint>

namespace velmora::swf {

// The colour picture of a VP6-with-alpha frame joined with its alpha plane: a premultiplied ARGB32
// image of colour's size in which each pixel takes the opacity the plane gives it (0 clear, 255
// opaque), so the video composites over whatever lies under it on the stage. The plane has
// colour's size at least, one byte per pixel, rows stride bytes apart. colour is RGB32 or ARGB32.
QImage withAlphaPlane(const QImage& colour, const uint8_t* alpha, int stride);

}  // namespace velmora::swf
