#include <algorithm>
#include <array>

#include "swf/format/character_parsers.h"
#include "swf/format/tag_code.h"

namespace velmora::swf {

namespace {

bool startsWith(std::span<const uint8_t> data, std::initializer_list<uint8_t> prefix) {
    return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

// The framing every JPEG must have: a start-of-image marker (some encoders put an empty
// end/start pair before it) followed by another marker. The decoder checks the rest.
void checkJpeg(std::span<const uint8_t> data) {
    size_t at = startsWith(data, {0xFF, 0xD9, 0xFF, 0xD8}) ? 2 : 0;
    if (!startsWith(data.subspan(std::min(at, data.size())), {0xFF, 0xD8})) {
        throw MalformedData("the image is not JPEG data");
    }
    if (data.size() < at + 4 || data[at + 2] != 0xFF) throw MalformedData("the JPEG data stops after its first marker");
}

// DefineBitsJPEG2..4 may carry PNG or GIF instead of JPEG; the first bytes tell which.
void checkEmbeddedImage(std::span<const uint8_t> data) {
    if (startsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) {
        if (data.size() < 8 + 25) throw MalformedData("the PNG data stops before its header chunk ends");
        return;
    }
    if (startsWith(data, {'G', 'I', 'F', '8', '9', 'a'})) {
        if (data.size() < 13) throw MalformedData("the GIF data stops before its screen descriptor");
        return;
    }
    if (startsWith(data, {0xFF, 0xD8}) || startsWith(data, {0xFF, 0xD9})) {
        checkJpeg(data);
        return;
    }
    throw MalformedData("the image is neither JPEG, PNG nor GIF data");
}

std::vector<uint8_t> copy(std::span<const uint8_t> data) { return {data.begin(), data.end()}; }

}  // namespace

std::shared_ptr<BitmapCharacter> parseDefineBitmap(BitReader& in, uint16_t tagCode, ParseContext& ctx) {
    ctx.charge(in.remaining());
    auto bitmap = std::make_shared<BitmapCharacter>(in.u16());
    using Encoding = BitmapCharacter::Encoding;
    switch (tagCode) {
        case kTagDefineBits: {
            bitmap->encoding = Encoding::Jpeg;
            auto data = in.rest();
            checkJpeg(data);
            bitmap->data = copy(data);
            break;
        }
        case kTagDefineBitsJpeg2: {
            bitmap->encoding = Encoding::Jpeg2;
            auto data = in.rest();
            checkEmbeddedImage(data);
            bitmap->data = copy(data);
            break;
        }
        case kTagDefineBitsJpeg3:
        case kTagDefineBitsJpeg4: {
            bitmap->encoding = tagCode == kTagDefineBitsJpeg3 ? Encoding::Jpeg3 : Encoding::Jpeg4;
            uint32_t imageSize = in.u32();
            if (tagCode == kTagDefineBitsJpeg4) bitmap->deblocking = in.u16() / 256.0;
            if (imageSize > in.remaining()) throw MalformedData("the image data is longer than the tag");
            auto image = in.take(imageSize);
            checkEmbeddedImage(image);
            bitmap->data = copy(image);
            bitmap->alphaData = copy(in.rest());
            break;
        }
        case kTagDefineBitsLossless:
        case kTagDefineBitsLossless2: {
            bitmap->encoding = tagCode == kTagDefineBitsLossless ? Encoding::Lossless : Encoding::Lossless2;
            bitmap->losslessFormat = in.u8();
            if (bitmap->losslessFormat < 3 || bitmap->losslessFormat > 5) {
                throw MalformedData("unknown lossless bitmap format " + std::to_string(bitmap->losslessFormat));
            }
            bitmap->width = in.u16();
            bitmap->height = in.u16();
            if (bitmap->losslessFormat == 3) bitmap->colorTableSize = in.u8();
            if (in.atEnd()) throw MalformedData("the bitmap has no pixel data");
            bitmap->data = copy(in.rest());
            break;
        }
        default: throw MalformedData("not a bitmap tag");
    }
    return bitmap;
}

}  // namespace velmora::swf
