#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lesson_script.h"

namespace velmora::lessons {

// The narration of a lesson as MP3: each line's words spoken by espeak-ng's Mandarin voice,
// placed at the line's start, the whole as long as the lesson, encoded by ffmpeg's LAME encoder
// (22050 Hz mono, no Xing frame and no ID3 tag, so that the bytes are MP3 frames only).
// workDir receives the intermediate WAV files. Throws std::runtime_error when a tool fails.
std::vector<uint8_t> synthesizeNarration(const LessonScript& script, const std::string& workDir);

constexpr int kNarrationSampleRate = 22050;

}  // namespace velmora::lessons
