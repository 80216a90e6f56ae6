#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace velmora::swf {

// A script that cannot be run safely: a record or a value that runs past the end of its block, a
// jump outside it, a stack that grows past its bound. what() says which, in plain words.
class ActionError : public std::runtime_error {
public:
    explicit ActionError(const std::string& what) : std::runtime_error(what) {}
};

// One action record: codes below 0x80 are one byte; from 0x80 on a 16-bit length and that many
// bytes of payload follow.
struct ActionRecord {
    uint8_t code = 0;
    size_t offset = 0;                 // where the record starts
    std::span<const uint8_t> payload;  // inside the block
    size_t next = 0;                   // where the following record starts
};

// Reads the record at offset of code. Raises ActionError when the record does not fit the block.
// offset must be below code.size().
ActionRecord readActionRecord(std::span<const uint8_t> code, size_t offset);

// Reads the fields of a payload. Every read is checked and raises ActionError past the end.
class PayloadReader {
public:
    explicit PayloadReader(std::span<const uint8_t> payload) : bytes_(payload) {}

    uint8_t u8();
    uint16_t u16();
    int16_t s16() { return static_cast<int16_t>(u16()); }
    uint32_t u32();
    float f32();
    // The format stores a double as its two 32-bit halves, high half first, each little-endian.
    double f64();
    // Up to the terminating NUL (required).
    std::string string();
    bool atEnd() const { return pos_ >= bytes_.size(); }

private:
    void need(size_t count) const;

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

}  // namespace velmora::swf
