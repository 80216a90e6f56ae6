#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "swf/format/bitmap.h"

namespace velmora::swf {

// Bitmaps larger than this in either direction, or with more pixels than kMaxBitmapPixels, are
// refused: a hostile file must not make us allocate gigabytes. The format's own limit is 8191
// for lossless bitmaps; photos in lessons are far smaller than either bound.
constexpr int kMaxBitmapSide = 16384;
constexpr int64_t kMaxBitmapPixels = int64_t(8192) * 8192;

struct DecodedBitmap {
    QImage image;         // Format_ARGB32_Premultiplied; null when decoding failed
    std::string problem;  // why it failed, or what was repaired; empty when all went well
};

// Decodes a bitmap character into a premultiplied image: JPEG (merged with the movie's
// JPEGTables for DefineBits, stray end/start marker pairs removed), PNG or GIF payloads, the
// separate alpha plane of DefineBitsJPEG3/4, and the zlib-compressed lossless formats (8-bit
// colour-mapped, 15-bit and 24/32-bit, with or without alpha). Never throws; a bitmap that cannot
// be decoded gives a null image and a problem.
DecodedBitmap decodeBitmap(const BitmapCharacter& bitmap);

// Inflates a zlib stream, stopping at limit bytes of output. Returns false when the stream is
// corrupt; a stream longer than limit is cut there and counts as success.
bool inflateBounded(const std::vector<uint8_t>& compressed, size_t limit, std::vector<uint8_t>& out);

// JPEG data as authoring tools wrote it, made into one well-formed JPEG stream: the tables (if
// any) and the image data merged, every start and end marker before the scan dropped, one start
// marker in front. Data that does not walk as JPEG markers is returned unchanged.
std::vector<uint8_t> normalizeJpeg(const std::vector<uint8_t>* tables, const std::vector<uint8_t>& data);

}  // namespace velmora::swf
