#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/runtime/movie_instance.h"
#include "support/swf_writer.h"

namespace velmora::test {

// Assembles ActionScript byte code for fixtures, one action per call.
class Asm {
public:
    Asm& op(uint8_t code) { bytes_.push_back(code); return *this; }
    Asm& record(uint8_t code, const std::vector<uint8_t>& payload);
    Asm& play() { return op(0x06); }
    Asm& stop() { return op(0x07); }
    Asm& nextFrame() { return op(0x04); }
    Asm& prevFrame() { return op(0x05); }
    Asm& gotoFrame(uint16_t frame) { return record(0x81, {uint8_t(frame), uint8_t(frame >> 8)}); }
    Asm& gotoLabel(const std::string& label) { return record(0x8C, cstr(label)); }
    Asm& setTarget(const std::string& path) { return record(0x8B, cstr(path)); }
    Asm& getUrl(const std::string& url, const std::string& window);
    Asm& waitForFrame(uint16_t frame, uint8_t skip) { return record(0x8A, {uint8_t(frame), uint8_t(frame >> 8), skip}); }
    Asm& pushString(const std::string& s);
    Asm& pushNumber(double v);
    Asm& pushInt(int32_t v);
    Asm& pushBool(bool b) { return record(0x96, {5, uint8_t(b)}); }
    Asm& setVariable() { return op(0x1D); }
    Asm& getVariable() { return op(0x1C); }
    // name = value (a string)
    Asm& set(const std::string& name, const std::string& value) { return pushString(name).pushString(value).setVariable(); }
    Asm& trace() { return op(0x26); }
    Asm& jump(int16_t offset) { return record(0x99, {uint8_t(offset), uint8_t(uint16_t(offset) >> 8)}); }
    Asm& branchIf(int16_t offset) { return record(0x9D, {uint8_t(offset), uint8_t(uint16_t(offset) >> 8)}); }
    Asm& gotoFrame2(bool play) { return record(0x9F, {uint8_t(play ? 1 : 0)}); }
    Asm& end() { return op(0x00); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    operator std::span<const uint8_t>() const { return bytes_; }

    // The length of a record with this payload size: for jump offsets.
    static int16_t sizeOf(size_t payload) { return static_cast<int16_t>(3 + payload); }

private:
    static std::vector<uint8_t> cstr(const std::string& s);
    std::vector<uint8_t> bytes_;
};

// Parses the writer's bytes into a movie.
std::shared_ptr<const swf::Movie> movieFrom(const SwfWriter& writer);

// Plays the writer's movie; by default with the component's settings (running, looping).
std::unique_ptr<swf::MovieInstance> play(const SwfWriter& writer, swf::MovieInstance::Options options = {});

// The character ids on clip's display list, lowest depth first.
std::vector<uint16_t> characterIds(const swf::Clip& clip);

// The trace output among the movie's messages, in order ("trace: " removed).
std::vector<std::string> traces(const swf::MovieInstance& movie);

// Whether any of the movie's messages contains part.
bool hasMessageContaining(const swf::MovieInstance& movie, const std::string& part);

// A sprite of `frames` frames, each holding nothing but its ShowFrame (and the actions given for
// frame 0, if any).
SwfTagList framesOnly(int frames);

}  // namespace velmora::test
