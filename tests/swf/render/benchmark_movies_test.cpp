// The benchmarks' movies and scenes are what they claim: a benchmark of a movie the engine
// refuses in part measures the refusal.

#include <gtest/gtest.h>

#include "render_test_support.h"
#include "support/benchmark_movies.h"
#include "swf/format/bitmap.h"
#include "swf/format/movie_loader.h"
#include "swf/render/bitmap_decoder.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/clip.h"

namespace velmora::swf {
namespace {

namespace bench = velmora::test;

TEST(BenchmarkMovies, ParseWithoutWarningsInEveryCompression) {
    const std::vector<uint8_t> fixture = bench::smallFixture().bytes();
    const std::shared_ptr<const Movie> small = parseMovie(fixture);
    EXPECT_TRUE(small->warnings.empty()) << small->warnings.front();

    bench::SwfWriter lesson = bench::largeLesson(3u << 20);
    for (auto compression : {bench::SwfWriter::Compression::None, bench::SwfWriter::Compression::Zlib}) {
        lesson.compression(compression);
        const std::vector<uint8_t> bytes = lesson.bytes();
        const std::shared_ptr<const Movie> movie = parseMovie(bytes);
        EXPECT_TRUE(movie->warnings.empty()) << movie->warnings.front();
        EXPECT_GT(movie->root.frames.size(), 100u);
        int shapes = 0, bitmaps = 0;
        for (const auto& [id, character] : movie->dictionary) {
            shapes += character->kind == CharacterKind::Shape;
            if (character->kind != CharacterKind::Bitmap) continue;
            ++bitmaps;
            const DecodedBitmap decoded = decodeBitmap(static_cast<const BitmapCharacter&>(*character));
            EXPECT_FALSE(decoded.image.isNull());
            EXPECT_EQ(decoded.problem, "") << "bitmap " << id;
        }
        EXPECT_EQ(shapes, 1500);
        EXPECT_EQ(bitmaps, 24);
    }
}

TEST(BenchmarkMovies, ScenesDrawWithoutWarnings) {
    std::vector<bench::BenchmarkScene> scenes;
    scenes.push_back(bench::textHeavyScene());
    scenes.push_back(bench::chinesePageScene(true));
    scenes.push_back(bench::chinesePageScene(false));
    scenes.push_back(bench::gradientHeavyScene());
    scenes.push_back(bench::bitmapHeavyScene());
    scenes.push_back(bench::shapeCountScene(100));
    scenes.push_back(bench::distinctPicturesScene(100));
    for (size_t i = 0; i < scenes.size(); ++i) {
        RenderResources resources;
        resources.setMovie(scenes[i].movie);
        StageRenderer renderer(resources);
        const QImage image = renderer.renderImage(scenes[i].list, scenes[i].movie->stage, {800, 600}, Qt::white);
        EXPECT_TRUE(resources.warnings.empty()) << "scene " << i << ": " << resources.warnings.messages().front();
        int inked = 0;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4) inked += image.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_GT(inked, 500) << "scene " << i << " draws next to nothing";
    }
}

}  // namespace
}  // namespace velmora::swf
