#include "swf/format/tag_reader.h"

namespace velmora::swf {

std::optional<TagRecord> TagReader::next() {
    if (cutOff_ || pos_ >= bytes_.size()) return std::nullopt;
    size_t left = bytes_.size() - pos_;
    if (left < 2) {
        // A single stray byte after the last record is padding some encoders leave, not a tag.
        if (bytes_[pos_] != 0) cutOff_ = true;
        pos_ = bytes_.size();
        return std::nullopt;
    }
    TagRecord record;
    record.offset = pos_;
    uint16_t codeAndLength = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    record.code = codeAndLength >> 6;
    size_t length = codeAndLength & 0x3F;
    size_t headerLength = 2;
    if (length == 0x3F) {
        if (left < 6) {
            cutOff_ = true;
            return std::nullopt;
        }
        record.longHeader = true;
        length = static_cast<size_t>(bytes_[pos_ + 2]) | (static_cast<size_t>(bytes_[pos_ + 3]) << 8) |
                 (static_cast<size_t>(bytes_[pos_ + 4]) << 16) | (static_cast<size_t>(bytes_[pos_ + 5]) << 24);
        headerLength = 6;
    }
    if (length > left - headerLength) {
        cutOff_ = true;
        return std::nullopt;
    }
    record.body = bytes_.subspan(pos_ + headerLength, length);
    pos_ += headerLength + length;
    return record;
}

}  // namespace velmora::swf
