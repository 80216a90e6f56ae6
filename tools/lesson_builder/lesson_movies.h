#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lesson_script.h"

namespace velmora::lessons {

// Every subtitle movie's stage, twips: 600 x 400 pixels, so that pages of all lessons line up.
constexpr int32_t kStageWidth = 600 * 20;
constexpr int32_t kStageHeight = 400 * 20;

constexpr double kLessonFrameRate = 12.0;

// The subtitle movie of a lesson: a gradient background, a photo, the title as an HTML text
// field in a device font, and each line with its gloss in an embedded font, shown from the
// line's start to the next line's; the last frame stops. 600x400 pixels at 12 frames a second.
std::vector<uint8_t> buildSubtitleMovie(const LessonScript& script);

// The sound movie of a lesson: a one-frame main timeline that stops, holding a clip placed as
// "mp3_mc" whose timeline carries the narration as MP3 stream sound, one block a frame, and stops
// on its last frame.
// The subtitle movie of a quiz lesson (a script with `quiz: FILE`): a question read from the XML
// file `xmlName` beside the movie, three choice buttons, an input field for a typed answer with
// its check button, a next button, a chime on a right answer and a clock, all driven by the
// movie's own scripts (see quiz_script.h). Same stage, rate and length as a subtitle movie.
std::vector<uint8_t> buildQuizMovie(const LessonScript& script, const std::string& xmlName);

std::vector<uint8_t> buildSoundMovie(const LessonScript& script, const std::vector<uint8_t>& narrationMp3);

}  // namespace velmora::lessons
