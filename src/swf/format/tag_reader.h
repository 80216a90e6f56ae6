#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora::swf {

// One tag record: its code and body, as a view into the bytes the TagReader reads.
struct TagRecord {
    uint16_t code = 0;
    std::span<const uint8_t> body;
    size_t offset = 0;        // of the record header, within the reader's bytes
    bool longHeader = false;  // the 6-byte form (also used by encoders for short bodies)
};

// Walks the tag records of a timeline (the movie's body, or a sprite's tags).
//
// next() returns records in order and nullopt once the bytes are used up. A record whose header
// or body runs past the end is not returned: reading stops there and cutOff() becomes true,
// because an encoder that died mid-write leaves exactly that, and everything before it is good.
// The bytes must outlive the reader and the records it returns.
class TagReader {
public:
    explicit TagReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::optional<TagRecord> next();
    bool cutOff() const { return cutOff_; }
    size_t position() const { return pos_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool cutOff_ = false;
};

}  // namespace velmora::swf
