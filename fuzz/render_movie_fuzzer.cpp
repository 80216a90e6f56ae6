// Loads arbitrary bytes as a movie and, when they load, plays and draws its first frames at two
// sizes: every crash, hang or runaway allocation in the parser, the runtime or the renderer is a
// bug. The draw sizes are a small one, where scales shrink to nothing, and a window-sized one.

#include <QGuiApplication>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_movie.h"
#include "swf/render/render_resources.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"

namespace {

constexpr int kFramesToPlay = 6;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Text is laid out with the system's fonts, which need an application; no display is used.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::swf;
    const std::shared_ptr<const Movie> movie = velmora::fuzz::loadMovie(data, size);
    if (!movie) return 0;
    MovieInstance instance(movie, velmora::fuzz::instanceOptions());
    RenderResources resources;
    resources.setMovie(movie);
    StageRenderer renderer(resources);
    for (int i = 0; i < kFramesToPlay; ++i) {
        const QSize size = i % 2 == 0 ? QSize(48, 36) : QSize(400, 300);
        renderer.renderImage(instance.root().displayList(), movie->stage, size, Qt::white);
        instance.tick();
    }
    return 0;
}
