// Movies and pictures a script loads, as the stage shows them.
#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "render_test_support.h"
#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"
#include "swf/format/movie_loader.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::swf {
namespace {

using test::colorDistance;
using test::pixel;
using velmora::test::Action;
using velmora::test::Avm1Assembler;
using velmora::test::Color;
using velmora::test::PushInt;
using velmora::test::SwfWriter;

void writePicture(const std::string& path, const char* format, QColor color) {
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(color);
    ASSERT_TRUE(picture.save(QString::fromStdString(path), format));
}

TEST(MovieLevelsRender, LevelsDrawOverLevelZeroAndPicturesShowInTheirClips) {
    const std::string folder = velmora::test::uniqueTempPath("levels");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    // Level 1: a blue 50 px square from the stage's corner, under the id level 0 uses for red.
    SwfWriter level;
    level.stageSizePixels(300, 300).defineRectangle(1, 0, 0, 1000, 1000, Color{0, 0, 255}).placeObject(1, 1).showFrame();
    level.writeFile(folder + "/level.swf");
    writePicture(folder + "/pic.png", "PNG", QColor(0, 255, 0));
    writePicture(folder + "/pic.jpg", "JPEG", QColor(255, 255, 0));

    Avm1Assembler a;
    a.push({"level.swf", "_level1"}).getUrl2(0);
    for (const auto& [clip, file, y] : {std::tuple{"p", "pic.png", 60}, std::tuple{"j", "pic.jpg", 80}}) {
        a.callMethod("_root", "createEmptyMovieClip", {clip, PushInt{y}}).op(Action::Pop);
        a.get(clip).push({"_x", PushInt{60}}).op(Action::SetMember);
        a.get(clip).push({"_y", PushInt{y}}).op(Action::SetMember);
        a.callMethod(clip, "loadMovie", {file}).op(Action::Pop);
    }
    a.op(Action::Stop);
    SwfWriter swf(8);
    swf.stageSizePixels(100, 100).defineRectangle(1, 0, 0, 2000, 2000, Color{255, 0, 0}).placeObject(1, 1);
    swf.doAction(a.doActionBody()).showFrame();
    auto movie = parseMovie(swf.bytes());
    MovieInstance::Options options;
    options.url = folder + "/main.swf";
    MovieInstance instance(movie, options);
    instance.tick();

    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    const QImage image = renderer.renderImage(instance.root(), movie->stage, {100, 100}, Qt::white);
    EXPECT_EQ(pixel(image, 10, 10), qRgb(0, 0, 255));  // level 1 over level 0
    EXPECT_EQ(pixel(image, 90, 30), qRgb(255, 0, 0));  // level 0 where level 1 has nothing
    EXPECT_EQ(pixel(image, 70, 65), qRgb(0, 255, 0));  // the PNG at (60, 60), 20 x 10
    EXPECT_LE(colorDistance(pixel(image, 70, 85), qRgb(255, 255, 0)), 8);  // the JPEG at (60, 80)
    EXPECT_EQ(pixel(image, 85, 65), qRgb(255, 0, 0));  // beside the picture
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace velmora::swf
