#include "runtime_fixtures.h"

#include <cstring>

#include "swf/format/movie_loader.h"

namespace velmora::test {

Asm& Asm::record(uint8_t code, const std::vector<uint8_t>& payload) {
    bytes_.push_back(code);
    bytes_.push_back(uint8_t(payload.size()));
    bytes_.push_back(uint8_t(payload.size() >> 8));
    bytes_.insert(bytes_.end(), payload.begin(), payload.end());
    return *this;
}

std::vector<uint8_t> Asm::cstr(const std::string& s) {
    std::vector<uint8_t> out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

Asm& Asm::getUrl(const std::string& url, const std::string& window) {
    auto payload = cstr(url);
    const auto w = cstr(window);
    payload.insert(payload.end(), w.begin(), w.end());
    return record(0x83, payload);
}

Asm& Asm::pushString(const std::string& s) {
    auto payload = cstr(s);
    payload.insert(payload.begin(), 0);
    return record(0x96, payload);
}

Asm& Asm::pushNumber(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const uint32_t high = uint32_t(bits >> 32), low = uint32_t(bits);
    std::vector<uint8_t> payload{6};
    for (uint32_t half : {high, low}) {
        for (int i = 0; i < 4; ++i) payload.push_back(uint8_t(half >> (8 * i)));
    }
    return record(0x96, payload);
}

Asm& Asm::pushInt(int32_t v) {
    const uint32_t u = uint32_t(v);
    return record(0x96, {7, uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)});
}

std::shared_ptr<const swf::Movie> movieFrom(const SwfWriter& writer) {
    const auto bytes = writer.bytes();
    return swf::parseMovie(bytes);
}

std::unique_ptr<swf::MovieInstance> play(const SwfWriter& writer, swf::MovieInstance::Options options) {
    return std::make_unique<swf::MovieInstance>(movieFrom(writer), options);
}

std::vector<uint16_t> characterIds(const swf::Clip& clip) {
    std::vector<uint16_t> ids;
    for (const auto& [depth, object] : clip.displayList()) ids.push_back(object->character->id);
    return ids;
}

std::vector<std::string> traces(const swf::MovieInstance& movie) {
    std::vector<std::string> out;
    for (const std::string& m : movie.messages()) {
        if (m.rfind("trace: ", 0) == 0) out.push_back(m.substr(7));
    }
    return out;
}

SwfTagList framesOnly(int frames) {
    SwfTagList t;
    for (int i = 0; i < frames; ++i) t.showFrame();
    return t;
}

bool hasMessageContaining(const swf::MovieInstance& movie, const std::string& part) {
    for (const auto& m : movie.messages()) {
        if (m.find(part) != std::string::npos) return true;
    }
    return false;
}

}  // namespace velmora::test
