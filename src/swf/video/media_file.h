#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "swf/video/flv_file.h"

namespace velmora::swf {

// Whether bytes begin as the box-structured files of the MP4 family do (MP4, M4V, MOV, F4V).
bool looksLikeMp4(std::span<const uint8_t> bytes);

// Reads bytes as one of the files NetStream plays: an FLV file, or an MP4-family file carrying
// H.264 pictures and AAC sound, told apart by their first bytes rather than by the file's name
// (courseware renames freely). The reasons a file is refused as readFlvFile gives them.
std::variant<FlvFile, std::string> readMediaFile(const std::vector<uint8_t>& bytes);

}  // namespace velmora::swf
