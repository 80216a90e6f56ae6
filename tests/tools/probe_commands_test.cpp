// The probe's info and tags commands, on fixture movies.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "probe_command.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"

namespace velmora::probe {
namespace {

std::string run(void (*command)(std::span<const std::string>, std::ostream&), const std::string& path) {
    std::ostringstream out;
    std::vector<std::string> args{path};
    command(args, out);
    return out.str();
}

std::string fixture(const test::SwfWriter& swf, const std::string& name) {
    std::string path = test::uniqueTempPath(name + ".swf");
    swf.writeFile(path);
    return path;
}

test::SwfWriter lessonWithClips() {
    test::SwfTagList narration;
    for (int i = 0; i < 120; ++i) narration.showFrame();
    test::SwfTagList twoFrames;
    twoFrames.showFrame().showFrame();
    test::SwfWriter swf(6);
    swf.compression(test::SwfWriter::Compression::Zlib).stageSizePixels(640, 480).frameRate(15.5);
    swf.defineSprite(1, narration, /*declaredFrames=*/1);
    swf.defineSprite(2, twoFrames);
    swf.defineRectangle(3, 0, 0, 100, 100, {0, 0, 255});
    swf.placeObject2({.depth = 1, .characterId = 1, .name = "mp3_mc"});
    swf.placeObject2({.depth = 2, .characterId = 2});                  // unnamed: not listed
    swf.placeObject2({.depth = 3, .characterId = 3, .name = "box"});  // not a clip
    swf.showFrame();
    swf.placeObject2({.depth = 4, .characterId = 2, .name = "later"});  // not on the first frame
    swf.showFrame().showFrame();
    swf.declaredFrameCount(1);
    return swf;
}

TEST(ProbeInfo, ReportsHeaderFramesFromTheTagsAndNamedClipsOfTheFirstFrame) {
    std::string out = run(runInfoCommand, fixture(lessonWithClips(), "info"));
    EXPECT_NE(out.find("signature: CWS\n"), std::string::npos) << out;
    EXPECT_NE(out.find("version: 6\n"), std::string::npos);
    EXPECT_NE(out.find("width: 640\nheight: 480\n"), std::string::npos);
    EXPECT_NE(out.find("rate: 15.5\n"), std::string::npos);
    EXPECT_NE(out.find("frames: 3\n"), std::string::npos);
    EXPECT_NE(out.find("clip: mp3_mc frames=120\n"), std::string::npos);
    EXPECT_EQ(out.find("clip: box"), std::string::npos);
    EXPECT_EQ(out.find("clip: later"), std::string::npos);
    EXPECT_EQ(out.find("actionscript3"), std::string::npos);
}

TEST(ProbeInfo, SaysWhenActionScript3IsNotRun) {
    test::SwfWriter swf(10);
    swf.fileAttributes(true);
    swf.rawTag(82, {0, 0, 0, 0, 0});  // DoABC: flags, empty name, no code
    swf.showFrame();
    EXPECT_NE(run(runInfoCommand, fixture(swf, "abc")).find("actionscript3: yes (scripts not run)\n"), std::string::npos);
}

TEST(ProbeInfo, ListsVideoStreamsWithTheFramesFoundInAnyTimeline) {
    // Stream 4: VP6 at 320x240, two frames in a sprite and one on the main timeline; stream 6 is a
    // video object for an external stream.
    test::SwfTagList sprite;
    sprite.rawTag(61, {4, 0, 0, 0, 0x00}).showFrame();
    sprite.rawTag(61, {4, 0, 1, 0, 0x80}).showFrame();
    test::SwfWriter swf;
    swf.rawTag(60, {4, 0, 3, 0, 0x40, 0x01, 0xF0, 0x00, 0x00, 4});
    swf.rawTag(60, {6, 0, 0, 0, 0x40, 0x01, 0xF0, 0x00, 0x00, 0});
    swf.defineSprite(5, sprite);
    swf.rawTag(61, {4, 0, 2, 0, 0x80});
    swf.showFrame();
    std::string out = run(runInfoCommand, fixture(swf, "video"));
    EXPECT_NE(out.find("video: 4 codec=vp6 size=320x240 frames=3 declared-frames=3\n"), std::string::npos) << out;
    EXPECT_NE(out.find("video: 6 codec=none size=320x240 frames=0 declared-frames=0\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("warning"), std::string::npos) << out;
}

TEST(ProbeTags, ListsEveryRecordWithSpriteTagsIndented) {
    test::SwfTagList inner;
    inner.doAction({0x07, 0x00}).showFrame();
    test::SwfWriter swf;
    swf.defineSprite(1, inner).showFrame();
    std::string out = run(runTagsCommand, fixture(swf, "tags"));
    EXPECT_EQ(out,
              "0 39 DefineSprite 12\n"
              "  1 12 DoAction 2\n"
              "  1 1 ShowFrame 0\n"
              "  1 0 End 0\n"
              "0 1 ShowFrame 0\n"
              "0 0 End 0\n");
}

TEST(ProbeCommands, FailWithAMessageNamingTheFile) {
    std::string notMovie = test::uniqueTempPath("not_a_movie.swf");
    { std::ofstream(notMovie) << "hello, this is text"; }
    for (auto command : {runInfoCommand, runTagsCommand}) {
        for (const std::string& path : {notMovie, std::string("/nonexistent/x.swf")}) {
            try {
                run(command, path);
                ADD_FAILURE() << "no error for " << path;
            } catch (const std::exception& e) {
                EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
                EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos);
            }
        }
    }
    std::ostringstream out;
    EXPECT_THROW(runInfoCommand({}, out), std::exception);
}

}  // namespace
}  // namespace velmora::probe
