#include "swf/sound/wav_writer.h"

#include <stdexcept>

#include "swf/sound/output_format.h"

namespace velmora::swf {

namespace {

constexpr uint64_t kHeaderBytes = 44;
constexpr uint64_t kBytesPerFrame = 2 * kOutputChannels;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;

void put16(std::ofstream& f, uint16_t v) {
    const char b[2] = {char(v & 0xff), char(v >> 8)};
    f.write(b, 2);
}

void put32(std::ofstream& f, uint32_t v) {
    const char b[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char(v >> 24)};
    f.write(b, 4);
}

}  // namespace

WavWriter::WavWriter(const std::string& path) : file_(path, std::ios::binary | std::ios::trunc), path_(path) {
    if (!file_) throw std::runtime_error("cannot create " + path);
    writeHeader();
}

WavWriter::~WavWriter() {
    try {
        if (!closed_) close();
    } catch (...) {
    }
}

void WavWriter::writeHeader() {
    const uint32_t dataBytes = uint32_t(frames_ * kBytesPerFrame);
    file_.write("RIFF", 4);
    put32(file_, uint32_t(36 + dataBytes));
    file_.write("WAVEfmt ", 8);
    put32(file_, 16);
    put16(file_, 1);  // integer PCM
    put16(file_, kOutputChannels);
    put32(file_, kOutputRate);
    put32(file_, uint32_t(kOutputRate * kBytesPerFrame));
    put16(file_, uint16_t(kBytesPerFrame));
    put16(file_, 16);
    file_.write("data", 4);
    put32(file_, dataBytes);
}

bool WavWriter::write(const int16_t* samples, size_t frames) {
    if (closed_ || failed_) return false;
    const uint64_t room = (kMaxDataBytes - frames_ * kBytesPerFrame) / kBytesPerFrame;
    const bool fits = frames <= room;
    if (!fits) frames = size_t(room);
    std::string bytes(frames * kBytesPerFrame, '\0');
    for (size_t i = 0; i < frames * kOutputChannels; ++i) {
        // WAVE samples are little-endian whatever the machine.
        const uint16_t v = uint16_t(samples[i]);
        bytes[2 * i] = char(v & 0xff);
        bytes[2 * i + 1] = char(v >> 8);
    }
    file_.write(bytes.data(), std::streamsize(bytes.size()));
    frames_ += frames;
    if (!file_) failed_ = true;
    return fits && !failed_;
}

void WavWriter::close() {
    if (closed_) return;
    closed_ = true;
    file_.seekp(0);
    writeHeader();
    file_.close();
    if (failed_ || file_.fail()) throw std::runtime_error("could not write " + path_);
}

}  // namespace velmora::swf
