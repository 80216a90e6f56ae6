#pragma once

#include <cstdint>
#include <memory>

#include "swf/format/character.h"
#include "swf/format/movie.h"
#include "swf/render/bitmap_cache.h"
#include "swf/render/glyph_cache.h"
#include "swf/render/glyph_mask_cache.h"
#include "swf/render/raster_cache.h"
#include "swf/render/render_warnings.h"
#include "swf/render/shape_cache.h"
#include "swf/render/text_cache.h"
#include "swf/video/video_frames.h"

namespace velmora::swf {

// Everything drawing a movie needs beyond the display list: the movie's dictionary (bitmap fills
// and text name other characters by id), the caches of paths, bitmaps, glyphs and glyph pictures,
// the video pictures, and the warnings of the render room (cleared with the movie; a sink set on
// them stays). One per player; not shared between threads.
class RenderResources {
public:
    // Switches to another movie. The caches belong to the characters of one movie, so they are
    // emptied when the movie changes (and kept when the same movie is set again).
    void setMovie(std::shared_ptr<const Movie> movie);
    // The movie whose dictionary the clips being drawn name: the one set, or the one in use.
    const Movie* movie() const { return dictionary_ ? dictionary_ : movie_.get(); }

    // While clips of a movie a script loaded are drawn, their movie (it must outlive the drawing);
    // null returns to the movie set. The caches, keyed by character, hold both movies' at once.
    void useDictionary(const Movie* movie) { dictionary_ = movie == movie_.get() ? nullptr : movie; }
    const Movie* dictionaryInUse() const { return dictionary_; }

    // The character defined under id in the current movie, or nullptr.
    const Character* character(uint16_t id) const { return movie() ? movie()->character(id) : nullptr; }
    // The movie's version (strings of movies before 6 are not UTF-8); 10 without a movie.
    uint8_t swfVersion() const { return movie() ? movie()->version : 10; }

    void clearCaches();

    ShapeCache shapes;
    BitmapCache bitmaps;
    GlyphCache glyphs;
    GlyphMaskCache glyphMasks;
    TextCache texts;
    RasterCache pictures;
    VideoFrames videos;
    RenderWarnings warnings{DiagnosticRoom::Render};

private:
    std::shared_ptr<const Movie> movie_;
    const Movie* dictionary_ = nullptr;
};

}  // namespace velmora::swf
