#include "swf/runtime/picture_movie.h"

#include <optional>
#include <utility>

#include "swf/format/bitmap.h"
#include "swf/format/shape.h"

namespace velmora::swf {

namespace {

constexpr uint32_t kMaxSide = 16383;
constexpr uint16_t kBitmapId = 1;
constexpr uint16_t kShapeId = 2;

uint32_t be16(const std::vector<uint8_t>& b, size_t at) { return (uint32_t(b[at]) << 8) | b[at + 1]; }
uint32_t be32(const std::vector<uint8_t>& b, size_t at) { return (be16(b, at) << 16) | be16(b, at + 2); }

bool isJpeg(const std::vector<uint8_t>& b) { return b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF; }
bool isPng(const std::vector<uint8_t>& b) {
    static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return b.size() >= 8 && std::equal(std::begin(kSignature), std::end(kSignature), b.begin());
}
bool isGif(const std::vector<uint8_t>& b) { return b.size() >= 6 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8'; }

// Width and height from the picture's header.
std::optional<std::pair<uint32_t, uint32_t>> pictureSize(const std::vector<uint8_t>& b) {
    if (isPng(b)) {
        if (b.size() < 24) return std::nullopt;
        return std::pair{be32(b, 16), be32(b, 20)};
    }
    if (isGif(b)) {
        if (b.size() < 10) return std::nullopt;
        return std::pair{uint32_t(b[6]) | (uint32_t(b[7]) << 8), uint32_t(b[8]) | (uint32_t(b[9]) << 8)};
    }
    if (!isJpeg(b)) return std::nullopt;
    // Walk the segments to the first start-of-frame marker, which carries the size.
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF) return std::nullopt;
        const uint8_t marker = b[at + 1];
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        const size_t length = be16(b, at + 2);
        if (length < 2) return std::nullopt;
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (at + 9 > b.size()) return std::nullopt;
            return std::pair{be16(b, at + 7), be16(b, at + 5)};
        }
        if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // the image data began without a frame
        at += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

bool looksLikePicture(const std::vector<uint8_t>& bytes) { return isJpeg(bytes) || isPng(bytes) || isGif(bytes); }

std::shared_ptr<const Movie> pictureMovie(std::vector<uint8_t> bytes, uint8_t version) {
    const auto size = pictureSize(bytes);
    if (!size || size->first == 0 || size->second == 0 || size->first > kMaxSide || size->second > kMaxSide) {
        return nullptr;
    }
    const int32_t w = static_cast<int32_t>(size->first) * 20;
    const int32_t h = static_cast<int32_t>(size->second) * 20;

    auto movie = std::make_shared<Movie>();
    movie->version = version;
    movie->stage = Rect{0, w, 0, h};
    movie->declaredFrameCount = 1;
    movie->declaredFileLength = static_cast<uint32_t>(std::min<size_t>(bytes.size(), UINT32_MAX));

    auto bitmap = std::make_shared<BitmapCharacter>(kBitmapId);
    bitmap->encoding = BitmapCharacter::Encoding::Jpeg2;  // the tag that carries a whole JPEG, PNG or GIF
    bitmap->data = std::move(bytes);
    movie->dictionary[kBitmapId] = bitmap;

    // A rectangle of the picture's size filled with it, one pixel to 20 twips.
    auto shape = std::make_shared<ShapeCharacter>(kShapeId);
    shape->version = 3;
    shape->bounds = Rect{0, w, 0, h};
    shape->edgeBounds = shape->bounds;
    FillStyle fill;
    fill.type = FillStyle::Type::ClippedBitmap;
    fill.bitmapId = kBitmapId;
    fill.matrix.a = 20;
    fill.matrix.d = 20;
    shape->fillStyles.push_back(fill);
    StyleChangeRecord start;
    start.moveTo = std::pair{0, 0};
    start.fillStyle1 = 1;
    shape->records.emplace_back(start);
    shape->records.emplace_back(StraightEdgeRecord{w, 0});
    shape->records.emplace_back(StraightEdgeRecord{0, h});
    shape->records.emplace_back(StraightEdgeRecord{-w, 0});
    shape->records.emplace_back(StraightEdgeRecord{0, -h});
    movie->dictionary[kShapeId] = shape;

    PlaceObject place;
    place.depth = 1;
    place.characterId = kShapeId;
    place.matrix = Matrix{};
    Frame frame;
    frame.tags.emplace_back(place);
    movie->root.frames.push_back(std::move(frame));
    return movie;
}

}  // namespace velmora::swf
