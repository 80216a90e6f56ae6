#pragma once

#include <cstdint>
#include <vector>

#include "support/swf_writer.h"

namespace velmora::lessons {

// The pictures of a subtitle movie, as tag bodies ready for the writer.

// DefineShape3: a rounded panel of widthxheight twips at (x, y) filled with a vertical linear
// gradient from `top` to `bottom` (RRGGBB).
std::vector<uint8_t> gradientPanel(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height, unsigned top,
                                   unsigned bottom);

// DefineBitsJPEG2: a painted landscape "photo" of widthxheight pixels in the lesson's colours.
// Its JPEG data starts with the empty SOI/EOI pair that authoring tools put in front.
std::vector<uint8_t> landscapePhoto(uint16_t id, int width, int height, unsigned top, unsigned bottom);

// DefineShape3: a rectangle at (x, y) twips showing bitmap `bitmapId` (widthxheight pixels) at
// one bitmap pixel a screen pixel, clipped and smoothed.
std::vector<uint8_t> bitmapFrame(uint16_t id, uint16_t bitmapId, int32_t x, int32_t y, int width, int height);

}  // namespace velmora::lessons
