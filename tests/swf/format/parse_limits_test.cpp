// Hostile files: every limit refuses the file whole with a readable reason, and a file just
// within a limit still loads.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"

namespace velmora::swf {
namespace {

using test::SwfTagList;
using test::SwfWriter;

// Runs parse and returns the ParseError's message, or "" when it parsed.
std::string parseError(const std::vector<uint8_t>& bytes, const ParseLimits& limits) {
    try {
        parseMovie(bytes, limits);
        return "";
    } catch (const ParseError& e) {
        return e.what();
    }
}

class DecompressionBomb : public ::testing::TestWithParam<SwfWriter::Compression> {};

TEST_P(DecompressionBomb, BodyLargerThanTheCapIsRefused) {
    SwfWriter swf;
    swf.compression(GetParam());
    std::vector<uint8_t> zeros(3 << 20);
    swf.rawTag(1000, zeros).showFrame();
    ParseLimits limits;
    limits.maxUncompressedBytes = 1 << 20;
    EXPECT_NE(parseError(swf.bytes(), limits).find("than 1 MiB"), std::string::npos);
    limits.maxUncompressedBytes = 4 << 20;
    EXPECT_EQ(parseError(swf.bytes(), limits), "");
}

INSTANTIATE_TEST_SUITE_P(EverySignature, DecompressionBomb,
                         ::testing::Values(SwfWriter::Compression::None, SwfWriter::Compression::Zlib,
                                           SwfWriter::Compression::Lzma));

TEST(ParseLimits, BodyExactlyAtTheCapIsAccepted) {
    SwfWriter swf;
    swf.compression(SwfWriter::Compression::Zlib).showFrame();
    auto bytes = swf.bytes();
    SwfWriter plain;
    plain.showFrame();
    size_t bodySize = plain.bytes().size() - 8;
    ParseLimits limits;
    limits.maxUncompressedBytes = bodySize;
    EXPECT_EQ(parseError(bytes, limits), "");
    limits.maxUncompressedBytes = bodySize - 1;
    EXPECT_NE(parseError(bytes, limits), "");
}

SwfTagList nestedSprites(int depth) {
    SwfTagList inner;
    inner.showFrame();
    for (int level = 1; level < depth; ++level) {
        SwfTagList outer;
        outer.defineSprite(static_cast<uint16_t>(level), inner).showFrame();
        inner = outer;
    }
    return inner;
}

TEST(ParseLimits, SpriteNesting) {
    ParseLimits limits;
    limits.maxSpriteNesting = 3;
    SwfWriter ok;
    ok.defineSprite(100, nestedSprites(3)).showFrame();
    EXPECT_EQ(parseError(ok.bytes(), limits), "");
    SwfWriter deep;
    deep.defineSprite(100, nestedSprites(4)).showFrame();
    EXPECT_NE(parseError(deep.bytes(), limits).find("nested"), std::string::npos);
    // The default protects the stack against thousands of levels.
    SwfWriter hostile;
    hostile.defineSprite(100, nestedSprites(2000)).showFrame();
    EXPECT_NE(parseError(hostile.bytes(), {}).find("nested"), std::string::npos);
}

TEST(ParseLimits, CountsOfCharactersFramesTagsAndRecords) {
    SwfWriter swf;
    for (uint16_t id = 1; id <= 3; ++id) swf.defineRectangle(id, 0, 0, 10, 10, {});
    for (int i = 0; i < 4; ++i) swf.placeObject2({.depth = 1, .move = true});
    for (int i = 0; i < 5; ++i) swf.showFrame();
    auto bytes = swf.bytes();

    ParseLimits limits;
    EXPECT_EQ(parseError(bytes, limits), "");
    limits.maxCharacters = 2;
    EXPECT_NE(parseError(bytes, limits).find("characters"), std::string::npos);
    limits = {};
    limits.maxFramesPerTimeline = 4;
    EXPECT_NE(parseError(bytes, limits).find("frames"), std::string::npos);
    limits = {};
    limits.maxTagsPerFrame = 3;
    EXPECT_NE(parseError(bytes, limits).find("tags in one frame"), std::string::npos);
    limits = {};
    limits.maxShapeRecords = 4;  // each rectangle has 6: a move, four edges, the end
    EXPECT_NE(parseError(bytes, limits).find("records"), std::string::npos);
}

TEST(ParseLimits, TinyTagsThatExpandInMemoryAreBoundedInTotal) {
    // A text whose glyph entries are zero bits wide: two bytes of file per 255 entries.
    test::BitWriter text;
    text.u16(1);
    text.rect(0, 0, 0, 0);
    text.matrix({});
    text.u8(0);  // glyph bits
    text.u8(0);  // advance bits
    for (int i = 0; i < 20000; ++i) {
        text.u8(0x80);
        text.u8(255);
    }
    text.u8(0);
    SwfWriter swf;
    swf.rawTag(kTagDefineText, text.take()).showFrame();
    ParseLimits limits;
    limits.maxModelBytes = 16 << 20;
    EXPECT_NE(parseError(swf.bytes(), limits).find("memory"), std::string::npos);
    limits.maxModelBytes = 256 << 20;
    EXPECT_EQ(parseError(swf.bytes(), limits), "");

    // Frames full of empty PlaceObject2 moves, a few bytes each.
    SwfWriter places;
    for (int i = 0; i < 50000; ++i) places.placeObject2({.depth = 1, .move = true}).showFrame();
    limits.maxModelBytes = 4 << 20;
    EXPECT_NE(parseError(places.bytes(), limits).find("memory"), std::string::npos);
}

}  // namespace
}  // namespace velmora::swf
