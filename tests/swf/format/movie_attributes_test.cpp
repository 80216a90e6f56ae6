// Tags that describe the movie as a whole, and the rules that span tags (shared JPEG tables,
// duplicate ids, refused imports).

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/bitmap.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"

namespace velmora::swf {
namespace {

using test::SwfWriter;

TEST(MovieAttributes, FileAttributesMetadataLimitsProtectAndAbc) {
    SwfWriter swf(9);
    swf.fileAttributes(/*actionScript3=*/true, /*useNetwork=*/true, /*hasMetadata=*/true);
    swf.rawTag(kTagMetadata, {'<', 'x', '/', '>', 0});
    swf.rawTag(kTagScriptLimits, {0x00, 0x01, 0x1E, 0x00});
    swf.rawTag(kTagProtect, {});
    swf.rawTag(kTagEnableDebugger2, {0, 0, 'p', 0});
    swf.rawTag(kTagSetTabIndex, {1, 0, 2, 0});
    swf.rawTag(kTagDoAbc, {1, 0, 0, 0, 0});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    EXPECT_TRUE(movie->actionScript3);
    EXPECT_TRUE(movie->useNetwork);
    EXPECT_TRUE(movie->hasMetadata);
    EXPECT_EQ(movie->metadata, "<x/>");
    EXPECT_EQ(movie->maxRecursionDepth, 256);
    EXPECT_EQ(movie->scriptTimeoutSeconds, 30);
    EXPECT_TRUE(movie->isProtected);
    EXPECT_TRUE(movie->hasAbc);
}

// Publishing tools add debugger, build and product records; none of them is a frame label list,
// and bodies that would read as one (a ProductInfo's leading 1, 1) must not name frames.
TEST(MovieAttributes, DebugAndProductRecordsAreSkippedSilently) {
    SwfWriter swf(10);
    swf.rawTag(kTagProductInfo, {3, 0, 0, 0, 1, 0, 0, 0, 10, 0, 1, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 0, 0, 0, 0, 0, 0});
    swf.rawTag(kTagEnableDebugger, {'h', 'a', 's', 'h', 0});
    swf.rawTag(kTagEnableDebugger2, {0, 0, 'h', 0});
    swf.rawTag(kTagDebugId, {1, 1, 0, 'x', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    swf.rawTag(kTagEnableTelemetry, {0, 0});
    swf.rawTag(kTagEnableTelemetry, {});  // cut short: still nothing playback needs
    swf.showFrame();
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    ASSERT_EQ(movie->root.frames.size(), 2u);
    for (const auto& frame : movie->root.frames) EXPECT_TRUE(frame.labels.empty());
}

TEST(MovieAttributes, ExportsAndInitActions) {
    SwfWriter swf;
    swf.defineRectangle(3, 0, 0, 10, 10, {});
    swf.exportAssets({{3, "box"}, {4, "other"}, {5, "box"}});
    const uint8_t init[] = {0x07, 0x00};
    swf.doInitAction(3, init);
    swf.doInitAction(3, init);
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_EQ(movie->exports.at("box"), 3);  // the first export of a name wins
    EXPECT_EQ(movie->exports.at("other"), 4);
    ASSERT_EQ(movie->initActions.at(3).size(), 2u);
    EXPECT_EQ(*movie->initActions.at(3)[0], (std::vector<uint8_t>{0x07, 0x00}));
}

TEST(MovieAttributes, ImportsAreRefusedWithoutOpeningAnything) {
    SwfWriter swf;
    test::BitWriter importTag;
    importTag.cString("/etc/passwd");
    importTag.u16(1);
    importTag.u16(7);
    importTag.cString("shared_clip");
    swf.rawTag(kTagImportAssets, importTag.take());
    swf.placeObject2({.depth = 1, .characterId = 7});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_EQ(movie->character(7), nullptr);
    EXPECT_EQ(movie->root.frames.size(), 1u);
    ASSERT_EQ(movie->warnings.size(), 1u);
    EXPECT_NE(movie->warnings[0].find("not followed"), std::string::npos);
}

TEST(MovieAttributes, JpegTablesReachEveryDefineBitsWhereverTheyStand) {
    SwfWriter swf;
    swf.rawTag(kTagDefineBits, {1, 0, 0xFF, 0xD8, 0xFF, 0xDA, 0x00});
    swf.rawTag(kTagJpegTables, {0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xD9});
    swf.rawTag(kTagJpegTables, {0xFF, 0xD8, 0xFF, 0xD9});  // a second set is ignored
    swf.rawTag(kTagDefineBits, {2, 0, 0xFF, 0xD8, 0xFF, 0xDA, 0x01});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    const std::vector<uint8_t> tables = {0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xD9};
    for (uint16_t id : {1, 2}) {
        const auto& bitmap = dynamic_cast<const BitmapCharacter&>(*movie->character(id));
        EXPECT_EQ(bitmap.encoding, BitmapCharacter::Encoding::Jpeg);
        ASSERT_TRUE(bitmap.jpegTables);
        EXPECT_EQ(*bitmap.jpegTables, tables);
    }
}

TEST(MovieAttributes, ASecondDefinitionOfAnIdKeepsTheFirst) {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 10, 10, {});
    const uint8_t pcm[] = {0};
    swf.defineSound(1, {}, 1, pcm);
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_EQ(movie->character(1)->kind, CharacterKind::Shape);
    ASSERT_EQ(movie->warnings.size(), 1u);
    EXPECT_NE(movie->warnings[0].find("defined twice"), std::string::npos);
}

TEST(MovieAttributes, WarningsAreCapped) {
    SwfWriter swf;
    for (int i = 0; i < 500; ++i) swf.rawTag(kTagRemoveObject2, {});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_LE(movie->warnings.size(), 101u);
    EXPECT_NE(movie->warnings.back().find("not reported"), std::string::npos);
}

}  // namespace
}  // namespace velmora::swf

namespace velmora::swf {
namespace {

TEST(MovieAttributes, SceneFrameLabelsLabelTheMainTimeline) {
    test::SwfWriter swf(10);
    // One scene at frame 0, labels "intro" at 0 and "end" at 2, and one past the last frame.
    swf.rawTag(kTagDefineSceneAndFrameLabelData,
               {1, 0, 'S', 0, 3, 0, 'i', 'n', 't', 'r', 'o', 0, 2, 'e', 'n', 'd', 0, 9, 'x', 0});
    swf.frameLabel("intro").showFrame().showFrame().showFrame();
    auto movie = parseMovie(swf.bytes());
    EXPECT_TRUE(movie->warnings.empty());
    EXPECT_EQ(movie->root.frames[0].labels, std::vector<std::string>{"intro"});  // not twice
    EXPECT_EQ(movie->root.findLabel("end"), 2u);
    EXPECT_EQ(movie->root.findLabel("x"), std::nullopt);
}

}  // namespace
}  // namespace velmora::swf
