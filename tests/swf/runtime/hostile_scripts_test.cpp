// Random byte code: whatever a file holds, scripts end, and nothing is read out of bounds.
#include <gtest/gtest.h>

#include <random>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

// Mostly real action codes, with short payloads that are sometimes well-formed.
std::vector<uint8_t> randomScript(std::mt19937& rng) {
    static const uint8_t kCodes[] = {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0D, 0x0E, 0x12, 0x15, 0x17, 0x1C,
                                     0x1D, 0x20, 0x21, 0x22, 0x23, 0x26, 0x30, 0x3D, 0x47, 0x4C, 0x4E, 0x4F, 0x52,
                                     0x3E, 0x81, 0x83, 0x87, 0x88, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x96, 0x99, 0x9B, 0x9D, 0x9E, 0x9F};
    std::vector<uint8_t> out;
    const int actions = std::uniform_int_distribution<int>(1, 40)(rng);
    for (int i = 0; i < actions; ++i) {
        const uint8_t code = kCodes[std::uniform_int_distribution<size_t>(0, std::size(kCodes) - 1)(rng)];
        out.push_back(code);
        if (code < 0x80) continue;
        const uint16_t length = static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 12)(rng));
        // Now and then a length that lies about the payload.
        const uint16_t written = rng() % 10 == 0 ? static_cast<uint16_t>(rng()) : length;
        out.push_back(static_cast<uint8_t>(written));
        out.push_back(static_cast<uint8_t>(written >> 8));
        for (int b = 0; b < length; ++b) {
            out.push_back(static_cast<uint8_t>(rng() % 4 == 0 ? 0 : rng() % 12));
        }
    }
    return out;
}

TEST(HostileScripts, RandomByteCodeAlwaysComesToAnEnd) {
    std::mt19937 rng(20261207);
    for (int movieIndex = 0; movieIndex < 80; ++movieIndex) {
        SwfWriter swf(static_cast<uint8_t>(movieIndex % 2 ? 10 : 4));
        SwfTagList inner;
        for (int f = 0; f < 3; ++f) inner.doAction(randomScript(rng)).showFrame();
        swf.defineSprite(10, inner);
        swf.placeObject2({.depth = 1, .characterId = 10, .name = "a"});
        for (int f = 0; f < 4; ++f) swf.doAction(randomScript(rng)).showFrame();
        swf::MovieInstance::Options options;
        options.limits.maxActionSteps = 20'000;
        options.limits.maxScriptsPerDrain = 2'000;
        auto movie = play(swf, options);
        for (int t = 0; t < 6; ++t) movie->tick();
        movie->root().gotoFrame(0);
        movie->runPendingActions();
        EXPECT_LE(movie->root().currentFrame(), 3u);
    }
}

}  // namespace
}  // namespace velmora::test
