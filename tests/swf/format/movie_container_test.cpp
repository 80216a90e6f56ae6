// The container: header, compression, tag records, frames and sprites.

#include <gtest/gtest.h>

#include "swf/format/movie_loader.h"
#include "swf/format/sprite.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"

namespace velmora::swf {
namespace {

using test::SwfWriter;

SwfWriter twoFrameMovie() {
    SwfWriter swf(8);
    swf.stageSizePixels(320, 240).frameRate(12.5);
    swf.setBackgroundColor({10, 20, 30});
    swf.defineRectangle(1, 0, 0, 200, 100, {255, 0, 0});
    swf.placeObject2({.depth = 1, .characterId = 1});
    swf.showFrame();
    swf.showFrame();
    return swf;
}

class CompressionTest : public ::testing::TestWithParam<SwfWriter::Compression> {};

TEST_P(CompressionTest, HeaderAndFramesSurviveEveryCompression) {
    auto swf = twoFrameMovie();
    swf.compression(GetParam());
    auto movie = parseMovie(swf.bytes());
    EXPECT_EQ(movie->version, 8);
    EXPECT_EQ(movie->stageWidthPixels(), 320);
    EXPECT_EQ(movie->stageHeightPixels(), 240);
    EXPECT_DOUBLE_EQ(movie->frameRate, 12.5);
    EXPECT_EQ(movie->root.frames.size(), 2u);
    EXPECT_EQ(movie->backgroundColor, (Rgba{10, 20, 30, 255}));
    ASSERT_NE(movie->character(1), nullptr);
    EXPECT_EQ(movie->character(1)->kind, CharacterKind::Shape);
    EXPECT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const char* expected = GetParam() == SwfWriter::Compression::None   ? "FWS"
                           : GetParam() == SwfWriter::Compression::Zlib ? "CWS"
                                                                        : "ZWS";
    EXPECT_EQ(std::string(movie->signature, 3), expected);
}

INSTANTIATE_TEST_SUITE_P(AllSignatures, CompressionTest,
                         ::testing::Values(SwfWriter::Compression::None, SwfWriter::Compression::Zlib,
                                           SwfWriter::Compression::Lzma));

TEST(MovieContainer, LzmaWithAndWithoutEndMarkerAndWithAPlaceholderLength) {
    for (bool marker : {false, true}) {
        for (uint32_t length : {0u, 1u << 30}) {
            auto swf = twoFrameMovie();
            swf.compression(SwfWriter::Compression::Lzma).lzmaEndMarker(marker).declaredFileLength(length);
            auto movie = parseMovie(swf.bytes());
            EXPECT_EQ(movie->root.frames.size(), 2u) << "marker " << marker << " length " << length;
            EXPECT_EQ(movie->declaredFileLength, length);
        }
    }
}

// The declared length only sizes the buffer a compressed body is inflated into: a body longer or
// shorter than declared is read whole all the same.
TEST(MovieContainer, CompressedBodyIsReadWholeWhateverLengthIsDeclared) {
    auto swf = twoFrameMovie();
    swf.compression(SwfWriter::Compression::Zlib);
    const uint32_t honest = uint32_t(twoFrameMovie().bytes().size());
    for (uint32_t length : {0u, 9u, honest - 1, honest, honest + 1, honest * 50, 1u << 30}) {
        swf.declaredFileLength(length);
        auto movie = parseMovie(swf.bytes());
        EXPECT_EQ(movie->root.frames.size(), 2u) << "declared " << length;
        EXPECT_TRUE(movie->warnings.empty()) << "declared " << length << ": " << movie->warnings.front();
    }
}

TEST(MovieContainer, PlaceholderCountsAreNotTrusted) {
    auto swf = twoFrameMovie();
    swf.declaredFrameCount(1).declaredFileLength(0);
    auto movie = parseMovie(swf.bytes());
    EXPECT_EQ(movie->declaredFrameCount, 1);
    EXPECT_EQ(movie->root.frames.size(), 2u);

    swf.declaredFrameCount(500).compression(SwfWriter::Compression::Zlib);
    EXPECT_EQ(parseMovie(swf.bytes())->root.frames.size(), 2u);
}

TEST(MovieContainer, CutOffFilePlaysWhatIsThere) {
    auto bytes = twoFrameMovie().bytes(/*omitEnd=*/true);
    // A long-header tag that claims more body than the file holds.
    const uint8_t cut[] = {0xBF, 0x06, 0x00, 0x10, 0x00, 0x00, 0x01, 0x02};
    bytes.insert(bytes.end(), std::begin(cut), std::end(cut));
    auto movie = parseMovie(bytes);
    EXPECT_EQ(movie->root.frames.size(), 2u);
    ASSERT_FALSE(movie->warnings.empty());
    EXPECT_NE(movie->warnings.back().find("cut short"), std::string::npos);
}

TEST(MovieContainer, CompressedFileCutInTheMiddlePlaysItsWholeFrames) {
    SwfWriter swf;
    swf.compression(SwfWriter::Compression::Zlib);
    for (int i = 0; i < 200; ++i) {
        swf.frameLabel("frame" + std::to_string(i));
        swf.showFrame();
    }
    auto bytes = swf.bytes();
    bytes.resize(bytes.size() / 2);
    auto movie = parseMovie(bytes);
    EXPECT_GT(movie->root.frames.size(), 0u);
    EXPECT_LT(movie->root.frames.size(), 200u);
    EXPECT_FALSE(movie->warnings.empty());
}

TEST(MovieContainer, RefusesWhatIsNotAMovie) {
    const std::vector<std::vector<uint8_t>> notMovies = {
        {},
        {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0},
        {'F', 'W', 'S'},                            // no length
        {'F', 'W', 'S', 10, 30, 0, 0, 0},           // no stage rectangle
        {'C', 'W', 'S', 10, 100, 0, 0, 0, 1, 2, 3},  // not zlib data
        {'Z', 'W', 'S', 13, 100, 0, 0, 0, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2},
    };
    for (const auto& bytes : notMovies) {
        EXPECT_THROW(parseMovie(bytes), ParseError) << "input of " << bytes.size() << " bytes";
    }
}

TEST(MovieContainer, LoadMovieFileNamesTheFileInItsErrors) {
    try {
        loadMovieFile("/nonexistent/lesson.swf");
        FAIL() << "expected a ParseError";
    } catch (const ParseError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/lesson.swf"), std::string::npos);
    }
    for (const std::string& bad : {std::string("/"), std::string("/dev/null")}) {
        try {
            loadMovieFile(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const ParseError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(bad + ": ", 0), 0u) << e.what();
            EXPECT_EQ(std::string(e.what()).find("MiB"), std::string::npos) << e.what();
        }
    }
    std::string path = test::uniqueTempPath("container.swf");
    twoFrameMovie().writeFile(path);
    EXPECT_EQ(loadMovieFile(path)->root.frames.size(), 2u);
}

TEST(MovieContainer, SpritesHaveTheirOwnFramesAndLabels) {
    test::SwfTagList inner;
    inner.frameLabel("start").showFrame().showFrame().frameLabel("end", true).doAction({0x07, 0x00}).showFrame();
    SwfWriter swf;
    swf.defineSprite(5, inner, /*declaredFrames=*/1);
    swf.placeObject2({.depth = 1, .characterId = 5, .name = "mp3_mc"});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    auto* sprite = dynamic_cast<const SpriteCharacter*>(movie->character(5));
    ASSERT_NE(sprite, nullptr);
    ASSERT_EQ(sprite->timeline.frames.size(), 3u);
    EXPECT_EQ(sprite->timeline.findLabel("END"), 2u);
    EXPECT_EQ(sprite->timeline.findLabel("start"), 0u);
    EXPECT_EQ(sprite->timeline.findLabel("missing"), std::nullopt);
    ASSERT_EQ(sprite->timeline.frames[2].tags.size(), 1u);
    auto& action = std::get<DoAction>(sprite->timeline.frames[2].tags[0]);
    EXPECT_EQ(*action.actions, (std::vector<uint8_t>{0x07, 0x00}));

    const auto& place = std::get<PlaceObject>(movie->root.frames[0].tags[0]);
    EXPECT_EQ(place.name, "mp3_mc");
    EXPECT_EQ(place.characterId, 5);
}

TEST(MovieContainer, SpriteCutShortInsideKeepsItsWholeFrames) {
    test::SwfTagList inner;
    inner.showFrame().showFrame();
    const uint8_t cut[] = {0x3F, 0x03, 0xFF, 0x00, 0x00, 0x00, 0x01};  // DoAction claiming 255 bytes
    inner.rawBytes(cut);
    SwfWriter swf;
    swf.defineSprite(1, inner).showFrame();
    auto movie = parseMovie(swf.bytes());
    auto* sprite = dynamic_cast<const SpriteCharacter*>(movie->character(1));
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->timeline.frames.size(), 2u);
    EXPECT_EQ(movie->root.frames.size(), 1u);
    ASSERT_EQ(movie->warnings.size(), 1u);
    EXPECT_NE(movie->warnings[0].find("sprite is cut short after frame 2"), std::string::npos) << movie->warnings[0];
}

TEST(MovieContainer, TagsAfterTheLastShowFrameFormNoFrame) {
    SwfWriter swf;
    swf.showFrame().placeObject2({.depth = 1, .characterId = 1}).end().showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_EQ(movie->root.frames.size(), 1u);  // and End stops reading
}

TEST(MovieContainer, UnknownAndLongHeaderTagsAreRead) {
    SwfWriter swf;
    const uint8_t junk[] = {1, 2, 3};
    swf.rawTag(1000, junk).rawTag(526, std::span<const uint8_t>{});
    swf.rawTag(1, std::span<const uint8_t>{}, /*forceLongHeader=*/true);  // ShowFrame, long form
    swf.showFrame();
    EXPECT_EQ(parseMovie(swf.bytes())->root.frames.size(), 2u);
}

}  // namespace
}  // namespace velmora::swf
