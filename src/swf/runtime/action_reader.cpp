#include "swf/runtime/action_reader.h"

#include <bit>
#include <cstring>

namespace velmora::swf {

ActionRecord readActionRecord(std::span<const uint8_t> code, size_t offset) {
    if (offset >= code.size()) throw ActionError("script reads past its end");
    ActionRecord record;
    record.code = code[offset];
    record.offset = offset;
    if (record.code < 0x80) {
        record.next = offset + 1;
        return record;
    }
    if (code.size() - offset < 3) throw ActionError("action record cut short");
    const size_t length = static_cast<size_t>(code[offset + 1]) | static_cast<size_t>(code[offset + 2]) << 8;
    if (code.size() - offset - 3 < length) throw ActionError("action record longer than its script");
    record.payload = code.subspan(offset + 3, length);
    record.next = offset + 3 + length;
    return record;
}

void PayloadReader::need(size_t count) const {
    if (bytes_.size() - pos_ < count || pos_ > bytes_.size()) throw ActionError("action data cut short");
}

uint8_t PayloadReader::u8() {
    need(1);
    return bytes_[pos_++];
}

uint16_t PayloadReader::u16() {
    need(2);
    const uint16_t v = static_cast<uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
}

uint32_t PayloadReader::u32() {
    need(4);
    const uint32_t v = static_cast<uint32_t>(bytes_[pos_]) | static_cast<uint32_t>(bytes_[pos_ + 1]) << 8 |
                       static_cast<uint32_t>(bytes_[pos_ + 2]) << 16 | static_cast<uint32_t>(bytes_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
}

float PayloadReader::f32() { return std::bit_cast<float>(u32()); }

double PayloadReader::f64() {
    const uint64_t high = u32();
    const uint64_t low = u32();
    return std::bit_cast<double>(high << 32 | low);
}

std::string PayloadReader::string() {
    const uint8_t* begin = bytes_.data() + pos_;
    const size_t left = bytes_.size() - pos_;
    const void* nul = left ? std::memchr(begin, 0, left) : nullptr;
    if (!nul) throw ActionError("text in a script has no end");
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(nul) - begin);
    std::string s(reinterpret_cast<const char*>(begin), length);
    pos_ += length + 1;
    return s;
}

}  // namespace velmora::swf
