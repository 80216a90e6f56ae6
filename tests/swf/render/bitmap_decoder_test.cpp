#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QImage>

#include "swf/render/bitmap_decoder.h"

namespace velmora::swf {
namespace {

std::vector<uint8_t> deflate(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

std::vector<uint8_t> encode(const QImage& image, const char* format, int quality = 95) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return {bytes.begin(), bytes.end()};
}

QImage fourColours() {
    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, x < 8 ? (y < 8 ? qRgb(255, 0, 0) : qRgb(0, 255, 0)) : (y < 8 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
    return image;
}

BitmapCharacter lossless(BitmapCharacter::Encoding encoding, uint8_t format, uint16_t w, uint16_t h,
                         const std::vector<uint8_t>& raw, uint16_t tableSize = 0) {
    BitmapCharacter b(1);
    b.encoding = encoding;
    b.losslessFormat = format;
    b.width = w;
    b.height = h;
    b.colorTableSize = tableSize;
    b.data = deflate(raw);
    return b;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

TEST(BitmapDecoder, ColourMappedRowsArePaddedToFourBytes) {
    // 3 pixels wide: each row of indexes takes 4 bytes, the last one padding.
    const std::vector<uint8_t> raw = {255, 0, 0, /**/ 0, 0, 255,  // table: red, blue
                                      0, 1, 0, 99, /**/ 1, 0, 1, 99};
    const auto decoded = decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless, 3, 3, 2, raw, 1));
    ASSERT_FALSE(decoded.image.isNull()) << decoded.problem;
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(decoded.image.pixel(1, 0), qRgb(0, 0, 255));
    EXPECT_EQ(decoded.image.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(decoded.image.pixel(2, 1), qRgb(0, 0, 255));
}

TEST(BitmapDecoder, ColourMappedWithAlphaAndIndexesPastTheTable) {
    const std::vector<uint8_t> raw = {255, 0, 0, 255, /**/ 64, 0, 0, 128,  // opaque red, half red (premultiplied)
                                      0, 1, 7, 0};
    const auto decoded = decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless2, 3, 3, 1, raw, 1));
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(decoded.image.pixel(1, 0)), 128);
    EXPECT_EQ(qAlpha(decoded.image.pixel(2, 0)), 0);  // index 7 is past the table: transparent
}

TEST(BitmapDecoder, FifteenBitPixelsExpandToFullRange) {
    // 0x7C00 pure red, 0x03E0 pure green, 0x001F pure blue; width 3 -> 6 bytes padded to 8.
    const std::vector<uint8_t> raw = {0x7C, 0x00, 0x03, 0xE0, 0x00, 0x1F, 0, 0};
    const auto decoded = decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless, 4, 3, 1, raw));
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(decoded.image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(decoded.image.pixel(2, 0), qRgb(0, 0, 255));
}

TEST(BitmapDecoder, TwentyFourAndThirtyTwoBitPixels) {
    // Lossless: a reserved byte then RGB. Lossless2: premultiplied ARGB.
    const auto rgb = decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless, 5, 2, 1, {0, 10, 20, 30, 77, 1, 2, 3}));
    ASSERT_FALSE(rgb.image.isNull());
    EXPECT_EQ(rgb.image.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(rgb.image.pixel(1, 0), qRgb(1, 2, 3));

    const auto argb =
        decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless2, 5, 2, 1, {128, 128, 0, 0, 100, 200, 200, 200}));
    ASSERT_FALSE(argb.image.isNull());
    // Images come out premultiplied, as the file stores them.
    EXPECT_TRUE(near(argb.image.pixel(0, 0), qRgba(128, 0, 0, 128), 0));
    // Colour above its alpha is held to the alpha: fully white at alpha 100.
    EXPECT_TRUE(near(argb.image.pixel(1, 0), qRgba(100, 100, 100, 100), 0));
}

TEST(BitmapDecoder, DamagedLosslessDataIsReportedNotTrusted) {
    // Too large: refused before any allocation.
    BitmapCharacter huge(2);
    huge.encoding = BitmapCharacter::Encoding::Lossless;
    huge.losslessFormat = 5;
    huge.width = 60000;
    huge.height = 60000;
    huge.data = deflate({0, 0, 0, 0});
    auto decoded = decodeBitmap(huge);
    EXPECT_TRUE(decoded.image.isNull());
    EXPECT_NE(decoded.problem.find("too large"), std::string::npos);

    // Not zlib at all.
    BitmapCharacter garbage = lossless(BitmapCharacter::Encoding::Lossless, 5, 2, 2, {});
    garbage.data = {1, 2, 3, 4, 5};
    decoded = decodeBitmap(garbage);
    EXPECT_TRUE(decoded.image.isNull());
    EXPECT_FALSE(decoded.problem.empty());

    // Short: the rows that arrived are kept, the rest transparent.
    decoded = decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless2, 5, 1, 2, {255, 255, 0, 0}));
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(decoded.image.pixel(0, 1)), 0);
    EXPECT_NE(decoded.problem.find("short"), std::string::npos);

    // Longer than its pixels: the rest is not read, and the picture is whole.
    decoded = decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless, 5, 1, 1, {0, 9, 8, 7, 0, 1, 2, 3}));
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgb(9, 8, 7));
    EXPECT_EQ(decoded.problem, "");

    // Unknown format, no pixels.
    EXPECT_TRUE(decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless, 9, 1, 1, {1, 2, 3, 4})).image.isNull());
    EXPECT_TRUE(decodeBitmap(lossless(BitmapCharacter::Encoding::Lossless, 5, 0, 5, {})).image.isNull());
}

TEST(BitmapDecoder, JpegWithStrayMarkersAtTheStart) {
    BitmapCharacter b(3);
    b.encoding = BitmapCharacter::Encoding::Jpeg2;
    b.data = {0xFF, 0xD9, 0xFF, 0xD8};
    const auto jpeg = encode(fourColours(), "JPG");
    b.data.insert(b.data.end(), jpeg.begin(), jpeg.end());
    const auto decoded = decodeBitmap(b);
    ASSERT_FALSE(decoded.image.isNull()) << decoded.problem;
    EXPECT_TRUE(near(decoded.image.pixel(2, 2), qRgb(255, 0, 0), 24));
    EXPECT_TRUE(near(decoded.image.pixel(13, 13), qRgb(255, 255, 255), 24));
}

TEST(BitmapDecoder, JpegSplitFromItsTablesIsMergedBack) {
    // Cut a JPEG into its tables (quantisation and Huffman segments) and the rest, as DefineBits
    // and JPEGTables store it.
    const auto jpeg = encode(fourColours(), "JPG");
    std::vector<uint8_t> tables = {0xFF, 0xD8};
    std::vector<uint8_t> image = {0xFF, 0xD8};
    size_t p = 2;
    while (p + 4 <= jpeg.size()) {
        const uint8_t marker = jpeg[p + 1];
        const size_t length = (size_t(jpeg[p + 2]) << 8) | jpeg[p + 3];
        auto& into = (marker == 0xDB || marker == 0xC4) ? tables : image;
        if (marker == 0xDA) {
            image.insert(image.end(), jpeg.begin() + long(p), jpeg.end());
            break;
        }
        into.insert(into.end(), jpeg.begin() + long(p), jpeg.begin() + long(p + 2 + length));
        p += 2 + length;
    }
    tables.push_back(0xFF);
    tables.push_back(0xD9);

    BitmapCharacter b(4);
    b.encoding = BitmapCharacter::Encoding::Jpeg;
    b.data = image;
    b.jpegTables = std::make_shared<const std::vector<uint8_t>>(tables);
    const auto decoded = decodeBitmap(b);
    ASSERT_FALSE(decoded.image.isNull()) << decoded.problem;
    EXPECT_TRUE(near(decoded.image.pixel(2, 13), qRgb(0, 255, 0), 24));

    // Without its tables the image cannot be read, and says so instead of failing hard.
    b.jpegTables.reset();
    EXPECT_FALSE(decodeBitmap(b).problem.empty());
}

TEST(BitmapDecoder, JpegWithAnAlphaPlane) {
    BitmapCharacter b(5);
    b.encoding = BitmapCharacter::Encoding::Jpeg3;
    b.data = encode(fourColours(), "JPG");
    std::vector<uint8_t> alpha(16 * 16, 255);
    for (int y = 0; y < 16; ++y)
        for (int x = 8; x < 16; ++x) alpha[size_t(y * 16 + x)] = 0;
    b.alphaData = deflate(alpha);
    auto decoded = decodeBitmap(b);
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(qAlpha(decoded.image.pixel(2, 2)), 255);
    EXPECT_EQ(qAlpha(decoded.image.pixel(13, 2)), 0);

    // An alpha plane too short for the picture is left out: the picture shows opaque.
    b.alphaData = deflate(std::vector<uint8_t>(10, 0));
    decoded = decodeBitmap(b);
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(qAlpha(decoded.image.pixel(13, 2)), 255);
    EXPECT_NE(decoded.problem.find("alpha"), std::string::npos);
}

TEST(BitmapDecoder, PngAndGifPayloads) {
    QImage withAlpha(4, 4, QImage::Format_ARGB32);
    withAlpha.fill(qRgba(0, 0, 255, 0));
    withAlpha.setPixel(1, 1, qRgba(0, 0, 255, 255));
    BitmapCharacter png(6);
    png.encoding = BitmapCharacter::Encoding::Jpeg2;
    png.data = encode(withAlpha, "PNG");
    auto decoded = decodeBitmap(png);
    ASSERT_FALSE(decoded.image.isNull());
    EXPECT_EQ(decoded.image.pixel(1, 1), qRgba(0, 0, 255, 255));
    EXPECT_EQ(qAlpha(decoded.image.pixel(0, 0)), 0);

    // A GIF (Qt writes none, so a minimal one by hand: 1x1, one red pixel).
    BitmapCharacter gif(7);
    gif.encoding = BitmapCharacter::Encoding::Jpeg2;
    gif.data = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 0,
                0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
    decoded = decodeBitmap(gif);
    ASSERT_FALSE(decoded.image.isNull()) << decoded.problem;
    EXPECT_EQ(decoded.image.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(BitmapDecoder, GarbageImageDataGivesAProblemNotACrash) {
    BitmapCharacter b(8);
    b.encoding = BitmapCharacter::Encoding::Jpeg2;
    b.data = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xEA, 0x60, 0xEA, 0x60};  // 60000x60000, cut off
    auto decoded = decodeBitmap(b);
    EXPECT_TRUE(decoded.image.isNull());
    EXPECT_FALSE(decoded.problem.empty());
    b.data.clear();
    EXPECT_TRUE(decodeBitmap(b).image.isNull());
}

}  // namespace
}  // namespace velmora::swf
