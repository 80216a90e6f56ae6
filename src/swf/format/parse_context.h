#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "swf/format/bitmap.h"
#include "swf/format/button.h"
#include "swf/format/font.h"
#include "swf/format/movie.h"
#include "swf/format/movie_loader.h"
#include "swf/format/shape.h"

namespace velmora::swf {

// What the tag parsers share while one movie is being read: the movie under construction, the
// limits, and the mutable views of characters that later tags complete (font info, button sounds
// and colour transforms, JPEG tables). Lives only for the duration of parseMovie.
class ParseContext {
public:
    ParseContext(Movie& movie, const ParseLimits& limits) : movie(movie), limits(limits) {}

    Movie& movie;
    const ParseLimits& limits;

    uint8_t version() const { return movie.version; }

    // Notes a repair or a skipped part in movie.warnings, which is bounded so that a file of a
    // million broken tags cannot grow it without end.
    void warn(std::string message);

    // Adds a character to the dictionary. A second definition of an id is ignored with a warning
    // (the first one is what the file's earlier frames were placed with). Raises ParseError past
    // limits.maxCharacters.
    void define(std::shared_ptr<Character> character);

    // The characters later tags complete, by id; nullptr when absent or of another kind.
    FontCharacter* font(uint16_t id);
    ButtonCharacter* button(uint16_t id);

    // JPEGTables, shared by every DefineBits of the movie. Applied to them when parsing ends, so
    // the order of the tags does not matter.
    std::shared_ptr<const std::vector<uint8_t>> jpegTables;
    // Labels of the main timeline given by DefineSceneAndFrameLabelData (ActionScript 3 movies
    // name their frames there instead of in FrameLabel tags): frame index and name.
    std::vector<std::pair<uint32_t, std::string>> sceneFrameLabels;
    // Applies what could only be settled once every tag was read (JPEG tables, scene labels).
    void finish();

    // Accounts for `bytes` more of the model in memory. Raises ParseError once the total passes
    // limits.maxModelBytes. Parsers charge before they allocate what a count in the file asks for.
    // Inline: every shape record is charged as it is read.
    void charge(uint64_t bytes) {
        modelBytes_ += bytes;
        if (modelBytes_ > limits.maxModelBytes) [[unlikely]]
            overBudget();
    }

    // Sprites nested this deep are being read right now (0 on the main timeline).
    uint32_t nesting = 0;

    // Where parseShapeRecords gathers one shape's records before copying them out at their
    // number; kept between shapes so that it grows only to the largest.
    std::vector<ShapeRecord> shapeRecordScratch;

private:
    [[noreturn]] void overBudget() const;

    std::map<uint16_t, FontCharacter*> fonts_;
    std::map<uint16_t, ButtonCharacter*> buttons_;
    std::vector<std::shared_ptr<BitmapCharacter>> jpegBitmaps_;
    uint64_t modelBytes_ = 0;
};

}  // namespace velmora::swf
