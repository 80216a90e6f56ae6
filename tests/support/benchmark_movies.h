#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "support/swf_writer.h"
#include "swf/format/movie.h"
#include "swf/runtime/display_object.h"

namespace velmora::test {

// The movies and scenes the benchmarks measure, here where the tests can check them: a benchmark
// of a movie the engine refuses, or warns about, measures the wrong thing. Each must parse and
// draw without a single warning.

// A small fixture: 20 rectangles, a 30-frame clip named mp3_mc, 100 frames of placements.
SwfWriter smallFixture();

// About targetBytes of lesson: 1500 traced shapes of 300 straight and curved edges, 24 lossless
// 128x128 bitmaps with alpha, and frames each carrying a 600-byte stream sound block, a placement,
// four moves with matrices, and a label every 25 frames.
SwfWriter largeLesson(size_t targetBytes);

// A stage and display list built in memory, 800x600 px, for the render benchmarks.
struct BenchmarkScene {
    std::shared_ptr<swf::Movie> movie = std::make_shared<swf::Movie>();
    swf::DisplayList list;

    BenchmarkScene();
    void add(std::shared_ptr<const swf::Character> c);
    void place(uint16_t depth, uint16_t id, swf::Matrix m = {}, std::string text = {});
};

// Twelve HTML fields of Chinese and Latin text in installed fonts, 22 px, about 50 characters each.
BenchmarkScene textHeavyScene();
// A page of 20 lines of 20 Chinese characters at 24 px: with embedded, static text whose font was
// traced from an installed font's outlines; or else in a text field of an installed font.
BenchmarkScene chinesePageScene(bool embeddedFont);
// Forty large shapes of 24 curved edges with linear, radial and focal gradients, half in linear RGB.
BenchmarkScene gradientHeavyScene();
// Eight 400x300 JPEG photos as clipped bitmap fills, scaled and slightly rotated.
BenchmarkScene bitmapHeavyScene();
// count outlined solid shapes of 16 curved edges, spread over the stage.
BenchmarkScene shapeCountScene(int count);
// count outlined solid shapes as above, each at a size of its own, so that no two objects share a
// picture: a steady frame that needs count different pictures.
BenchmarkScene distinctPicturesScene(int count);

}  // namespace velmora::test
