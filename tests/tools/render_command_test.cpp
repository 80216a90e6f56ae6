// The probe's render command: frame N of a fixture movie, played from its start, to a PNG.

#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "probe_command.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"

namespace velmora::probe {
namespace {

// A 100 x 50 px movie: a red square on frame 0, removed on frame 1, a blue one from frame 2.
std::string threeFrames() {
    test::SwfWriter swf;
    swf.stageSizePixels(100, 50);
    swf.setBackgroundColor({0, 255, 0});
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    swf.defineRectangle(2, 1600, 600, 400, 400, {0, 0, 255});
    swf.placeObject2({.depth = 1, .characterId = 1});
    swf.showFrame();
    swf.removeObject2(1);
    swf.showFrame();
    swf.placeObject2({.depth = 2, .characterId = 2});
    swf.showFrame();
    const std::string path = test::uniqueTempPath("render.swf");
    swf.writeFile(path);
    return path;
}

QImage render(std::vector<std::string> args, std::string* report = nullptr) {
    const std::string out = test::uniqueTempPath("render.png");
    args.push_back("--out");
    args.push_back(out);
    std::ostringstream text;
    runRenderCommand(args, text);
    if (report) *report = text.str();
    return QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_RGB32);
}

TEST(RenderCommand, FramesArePlayedFromTheStart) {
    const std::string movie = threeFrames();
    std::string report;
    const QImage first = render({movie, "--frame", "0"}, &report);
    ASSERT_EQ(first.size(), QSize(100, 50));  // the stage size by default
    EXPECT_EQ(first.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(first.pixel(50, 10), qRgb(0, 255, 0));  // the movie's background
    EXPECT_NE(report.find("frame 0 of 3"), std::string::npos);

    EXPECT_EQ(render({movie, "--frame", "1"}).pixel(10, 10), qRgb(0, 255, 0));
    const QImage third = render({movie, "--frame", "2"});
    EXPECT_EQ(third.pixel(90, 40), qRgb(0, 0, 255));
    // Past the end the movie loops, as the player does.
    EXPECT_EQ(render({movie, "--frame", "3"}).pixel(10, 10), qRgb(255, 0, 0));
}

TEST(RenderCommand, SizeAndBackgroundAsAsked) {
    const std::string movie = threeFrames();
    // 200 x 200: scaled by 2 into 200 x 100, centred; the margins in the background colour.
    const QImage image = render({movie, "--frame", "0", "--width", "200", "--height", "200", "--background", "FFFFC0"});
    ASSERT_EQ(image.size(), QSize(200, 200));
    EXPECT_EQ(image.pixel(15, 65), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(100, 20), qRgb(255, 255, 192));
    EXPECT_EQ(image.pixel(100, 100), qRgb(255, 255, 192));
}

TEST(RenderCommand, BadArgumentsAreRefusedWithAReason) {
    const std::string movie = threeFrames();
    std::ostringstream out;
    auto fails = [&](std::vector<std::string> args) {
        try {
            runRenderCommand(args, out);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(fails({movie, "--out", "x.png"}).find("usage"), std::string::npos);  // no frame
    EXPECT_NE(fails({movie, "--frame", "-1", "--out", "x.png"}).find("--frame"), std::string::npos);
    EXPECT_NE(fails({movie, "--frame", "0", "--out", "x.png", "--width", "60000"}).find("--width"), std::string::npos);
    EXPECT_NE(fails({movie, "--frame", "0", "--out", "x.png", "--background", "red"}).find("RRGGBB"), std::string::npos);
    EXPECT_FALSE(fails({"/no/such/file.swf", "--frame", "0", "--out", "x.png"}).empty());
}

}  // namespace
}  // namespace velmora::probe
