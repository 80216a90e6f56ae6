#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace velmora::swf {

// Writes output-format audio (44100 Hz interleaved 16-bit stereo) to a RIFF WAVE file, fixing up
// the header's sizes when closed. Stops taking samples before the file would outgrow the 4 GiB
// that a WAVE header can describe.
class WavWriter {
public:
    // Creates or truncates path. Throws std::runtime_error when it cannot be opened.
    explicit WavWriter(const std::string& path);
    // Closes the file if close() was not called (errors then go unreported).
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Appends `frames` frames. Returns false when the file is full or a write failed.
    bool write(const int16_t* samples, size_t frames);
    // Writes the final sizes and closes. Throws std::runtime_error if the file could not be
    // written completely.
    void close();

    uint64_t framesWritten() const { return frames_; }

private:
    void writeHeader();

    std::ofstream file_;
    std::string path_;
    uint64_t frames_ = 0;
    bool failed_ = false;
    bool closed_ = false;
};

}  // namespace velmora::swf
