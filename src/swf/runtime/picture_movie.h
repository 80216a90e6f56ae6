#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/format/movie.h"

namespace velmora::swf {

// A JPEG, PNG or GIF file made into a movie of one frame that shows the picture at its own size
// from the origin, one picture pixel to one movie pixel: how a picture loaded into a clip plays.
// The picture itself is decoded by the renderer as any embedded one. Returns nullptr when the
// bytes are none of the three or their header gives no size (or one beyond 16383 pixels a side).
std::shared_ptr<const Movie> pictureMovie(std::vector<uint8_t> bytes, uint8_t version);

// Whether the bytes begin as a JPEG, PNG or GIF file does.
bool looksLikePicture(const std::vector<uint8_t>& bytes);

}  // namespace velmora::swf
