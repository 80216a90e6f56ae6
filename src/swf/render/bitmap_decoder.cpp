#include "swf/render/bitmap_decoder.h"

#include <zlib.h>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cstring>

#include "swf/format/whole_buffer_inflate.h"

namespace velmora::swf {
namespace {

bool startsWith(const std::vector<uint8_t>& data, std::initializer_list<uint8_t> prefix) {
    return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

bool tooLarge(int64_t width, int64_t height) {
    return width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels;
}

std::string sizeText(int64_t width, int64_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

// Appends the marker segments of one JPEG stream before its scan to out, leaving start and end
// markers out; from the scan on, everything is copied. Returns false when the bytes do not walk
// as markers.
bool appendSegments(const std::vector<uint8_t>& data, std::vector<uint8_t>& out, bool& reachedScan) {
    size_t p = 0;
    while (p < data.size()) {
        if (data[p] != 0xFF) return false;
        while (p < data.size() && data[p] == 0xFF) ++p;  // fill bytes
        if (p >= data.size()) break;
        const uint8_t marker = data[p++];
        if (marker == 0xD8 || marker == 0xD9) continue;                        // SOI, EOI
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no payload
        if (p + 2 > data.size()) return false;
        const size_t length = (size_t(data[p]) << 8) | data[p + 1];
        if (length < 2 || p + length > data.size()) return false;
        out.push_back(0xFF);
        out.push_back(marker);
        if (marker == 0xDA) {  // start of scan: the entropy-coded data runs to the end
            out.insert(out.end(), data.begin() + long(p), data.end());
            reachedScan = true;
            return true;
        }
        out.insert(out.end(), data.begin() + long(p), data.begin() + long(p + length));
        p += length;
    }
    return true;
}

QImage readImage(const std::vector<uint8_t>& bytes, std::string& problem) {
    QByteArray array(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&array);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && tooLarge(size.width(), size.height())) {
        problem = "image of " + sizeText(size.width(), size.height()) + " is too large";
        return {};
    }
    QImage image = reader.read();
    if (image.isNull()) {
        problem = "image data could not be decoded (" + reader.errorString().toStdString() + ")";
        return {};
    }
    if (tooLarge(image.width(), image.height())) {
        problem = "image of " + sizeText(image.width(), image.height()) + " is too large";
        return {};
    }
    return image;
}

QImage decodeEmbeddedImage(const BitmapCharacter& bitmap, std::string& problem) {
    const bool png = startsWith(bitmap.data, {0x89, 'P', 'N', 'G'});
    const bool gif = startsWith(bitmap.data, {'G', 'I', 'F', '8'});
    if (png || gif) return readImage(bitmap.data, problem).convertToFormat(QImage::Format_ARGB32_Premultiplied);

    const std::vector<uint8_t>* tables =
        bitmap.encoding == BitmapCharacter::Encoding::Jpeg && bitmap.jpegTables ? bitmap.jpegTables.get() : nullptr;
    QImage image = readImage(normalizeJpeg(tables, bitmap.data), problem);
    if (image.isNull()) return {};

    const bool hasAlpha = (bitmap.encoding == BitmapCharacter::Encoding::Jpeg3 ||
                           bitmap.encoding == BitmapCharacter::Encoding::Jpeg4) &&
                          !bitmap.alphaData.empty();
    if (!hasAlpha) return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    const size_t pixels = size_t(image.width()) * size_t(image.height());
    std::vector<uint8_t> alpha;
    if (!inflateBounded(bitmap.alphaData, pixels, alpha) || alpha.size() < pixels) {
        problem = "alpha plane is corrupt or short: drawn opaque";
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    // The colour of a JPEG is stored as seen, the alpha beside it: join them unpremultiplied.
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uint8_t* a = alpha.data() + size_t(y) * size_t(image.width());
        for (int x = 0; x < image.width(); ++x) row[x] = (row[x] & 0x00FFFFFFu) | (QRgb(a[x]) << 24);
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Premultiplied data from a file can hold a colour brighter than its alpha allows; such a pixel
// would overflow when composited, so its colour is held to its alpha.
QRgb clampPremultiplied(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
    return qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
}

QImage decodeLossless(const BitmapCharacter& bitmap, std::string& problem) {
    const int width = bitmap.width;
    const int height = bitmap.height;
    if (width == 0 || height == 0) {
        problem = "lossless bitmap has no pixels";
        return {};
    }
    if (tooLarge(width, height)) {
        problem = "lossless bitmap of " + sizeText(width, height) + " is too large";
        return {};
    }
    const bool withAlpha = bitmap.encoding == BitmapCharacter::Encoding::Lossless2;
    size_t tableBytes = 0;
    size_t rowBytes = 0;
    const size_t colorBytes = withAlpha ? 4 : 3;
    switch (bitmap.losslessFormat) {
        case 3:
            tableBytes = (size_t(bitmap.colorTableSize) + 1) * colorBytes;
            rowBytes = (size_t(width) + 3) & ~size_t(3);
            break;
        case 4: rowBytes = (size_t(width) * 2 + 3) & ~size_t(3); break;
        case 5: rowBytes = size_t(width) * 4; break;
        default:
            problem = "lossless bitmap format " + std::to_string(bitmap.losslessFormat) + " is unknown";
            return {};
    }
    const size_t expected = tableBytes + rowBytes * size_t(height);
    std::vector<uint8_t> raw;
    if (!inflateBounded(bitmap.data, expected, raw)) {
        problem = "lossless bitmap data is corrupt";
        return {};
    }
    if (raw.size() < expected) {
        // Rows that never arrived stay transparent rather than refusing the whole picture.
        problem = "lossless bitmap data is short: missing rows left transparent";
        raw.resize(expected, 0);
    }

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        problem = "out of memory for a bitmap of " + sizeText(width, height);
        return {};
    }
    std::vector<QRgb> palette;
    if (bitmap.losslessFormat == 3) {
        palette.resize(256, 0);
        for (size_t i = 0; i <= bitmap.colorTableSize && i < 256; ++i) {
            const uint8_t* c = raw.data() + i * colorBytes;
            palette[i] = withAlpha ? clampPremultiplied(c[3], c[0], c[1], c[2]) : qRgb(c[0], c[1], c[2]);
        }
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = raw.data() + tableBytes + size_t(y) * rowBytes;
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            switch (bitmap.losslessFormat) {
                case 3: row[x] = palette[src[x]]; break;  // indexes past the table stay transparent
                case 4: {
                    const unsigned v = (unsigned(src[2 * x]) << 8) | src[2 * x + 1];
                    auto expand = [](unsigned five) { return int((five << 3) | (five >> 2)); };
                    row[x] = qRgb(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
                    break;
                }
                default: {
                    const uint8_t* p = src + 4 * x;
                    row[x] = withAlpha ? clampPremultiplied(p[0], p[1], p[2], p[3]) : qRgb(p[1], p[2], p[3]);
                }
            }
        }
    }
    return image;
}

}  // namespace

bool inflateBounded(const std::vector<uint8_t>& compressed, size_t limit, std::vector<uint8_t>& out) {
    out.assign(limit, 0);
    // The size a bitmap's pixels take is known, so a whole stream inflates in one call; a stream
    // longer, shorter or damaged goes through zlib, which cuts, keeps or refuses as below.
    if (limit <= maxInflatedSize(compressed.size())) {
        if (auto produced = inflateWholeBuffer(compressed, out)) {
            out.resize(*produced);
            return true;
        }
        out.assign(limit, 0);
    }
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = uInt(std::min<size_t>(compressed.size(), UINT32_MAX));
    stream.next_out = out.data();
    stream.avail_out = uInt(std::min<size_t>(limit, UINT32_MAX));
    int result = Z_OK;
    while (result == Z_OK && stream.avail_out > 0) result = inflate(&stream, Z_NO_FLUSH);
    const size_t produced = limit - stream.avail_out;
    inflateEnd(&stream);
    out.resize(produced);
    // A stream that ends early with usable output is short, not corrupt: the caller decides.
    return result == Z_OK || result == Z_STREAM_END || (result == Z_BUF_ERROR && produced > 0);
}

std::vector<uint8_t> normalizeJpeg(const std::vector<uint8_t>* tables, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out{0xFF, 0xD8};
    out.reserve(data.size() + (tables ? tables->size() : 0) + 2);
    bool reachedScan = false;
    if (tables && !tables->empty() && !appendSegments(*tables, out, reachedScan)) return data;
    if (reachedScan) return data;  // tables holding a scan are not tables: leave the data alone
    if (!appendSegments(data, out, reachedScan) || !reachedScan) return data;
    return out;
}

DecodedBitmap decodeBitmap(const BitmapCharacter& bitmap) {
    DecodedBitmap result;
    switch (bitmap.encoding) {
        case BitmapCharacter::Encoding::Lossless:
        case BitmapCharacter::Encoding::Lossless2: result.image = decodeLossless(bitmap, result.problem); break;
        default: result.image = decodeEmbeddedImage(bitmap, result.problem); break;
    }
    return result;
}

}  // namespace velmora::swf
