#include "swf/render/render_resources.h"

namespace velmora::swf {

void RenderResources::setMovie(std::shared_ptr<const Movie> movie) {
    if (movie == movie_) return;
    clearCaches();
    warnings.clear();
    movie_ = std::move(movie);
    videos.setMovie(movie_);
}

void RenderResources::clearCaches() {
    shapes.clear();
    bitmaps.clear();
    glyphs.clear();
    glyphMasks.clear();
    texts.clear();
    pictures.clear();
    videos.clear();
}

}  // namespace velmora::swf
