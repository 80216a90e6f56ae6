#include "swf/video/media_file.h"

#include <array>
#include <cstring>

namespace velmora::swf {

bool looksLikeMp4(std::span<const uint8_t> bytes) {
    if (bytes.size() < 8) return false;
    // The first box's type: most files begin with ftyp; older QuickTime files with their data or
    // a padding box.
    static constexpr std::array<const char*, 7> kFirstBoxes{"ftyp", "moov", "mdat", "free", "skip", "wide", "pnot"};
    for (const char* box : kFirstBoxes) {
        if (std::memcmp(bytes.data() + 4, box, 4) == 0) return true;
    }
    return false;
}

std::variant<FlvFile, std::string> readMediaFile(const std::vector<uint8_t>& bytes) {
    if (looksLikeMp4(bytes)) return demuxMediaFile(bytes, MediaContainer::Mp4);
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "FLV", 3) == 0) return readFlvFile(bytes);
    return std::string("it is not an FLV or MP4 file");
}

}  // namespace velmora::swf
