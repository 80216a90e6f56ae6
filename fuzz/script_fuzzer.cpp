// Runs arbitrary action bytes in a small movie of a few named clips, for several frames, under
// tight script limits: as a frame script, as the body of a function the frame calls and keeps as
// its onEnterFrame handler, or as a sprite's init actions. The dispatch loop, the scopes, the heap
// and every built-in a random program reaches must never crash, hang or run away with memory;
// ending the script with a diagnostic is a correct answer.
//
// Input: one byte picks the SWF version (5 to 10, low bits) and the way the bytes run (high
// bits); the rest are the actions.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_movie.h"
#include "support/swf_writer.h"
#include "swf/runtime/movie_instance.h"

namespace {

using velmora::test::SwfTagList;
using velmora::test::SwfWriter;

constexpr int kFramesToPlay = 8;
// Keeps the wrapped function's code size within its 16-bit field with room for the wrapper.
constexpr size_t kMaxActionBytes = 16 * 1024;

enum class Mode { FrameScript, FunctionBody, InitAction };

void appendU16(std::vector<uint8_t>& out, size_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void appendPushString(std::vector<uint8_t>& out, const char* text) {
    const size_t length = std::char_traits<char>::length(text);
    out.push_back(0x96);
    appendU16(out, length + 2);
    out.push_back(0);  // string
    out.insert(out.end(), text, text + length + 1);
}

// function f() { <bytes> } f(); onEnterFrame = f;  as DefineFunction2 with a few registers.
std::vector<uint8_t> wrapInFunction(std::span<const uint8_t> body) {
    std::vector<uint8_t> code;
    code.push_back(0x8E);
    appendU16(code, 2 + 2 + 1 + 2 + 2);  // name "f", no parameters, registers, flags, code size
    code.insert(code.end(), {'f', 0});
    appendU16(code, 0);
    code.push_back(4);       // registers
    appendU16(code, 0x0000);  // preload nothing, suppress nothing
    appendU16(code, body.size());
    code.insert(code.end(), body.begin(), body.end());
    // f(): push 0 arguments, the name, CallFunction, drop the result.
    code.insert(code.end(), {0x96, 0x05, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00});
    appendPushString(code, "f");
    code.insert(code.end(), {0x3D, 0x17});
    appendPushString(code, "onEnterFrame");
    appendPushString(code, "f");
    code.insert(code.end(), {0x1C, 0x1D});  // GetVariable, SetVariable
    code.push_back(0x00);
    return code;
}

std::vector<uint8_t> terminated(std::span<const uint8_t> actions) {
    std::vector<uint8_t> code(actions.begin(), actions.end());
    code.push_back(0x00);
    return code;
}

std::vector<uint8_t> buildMovie(uint8_t version, Mode mode, std::span<const uint8_t> actions) {
    // A sprite of two frames with a child of its own, so that paths like a.c and /b/c resolve.
    SwfTagList inner;
    inner.showFrame().showFrame();
    SwfTagList outer;
    outer.placeObject2({.depth = 1, .characterId = 3, .name = "c"});
    outer.showFrame().showFrame();

    SwfWriter swf(version);
    swf.defineRectangle(1, 0, 0, 40, 30, {0, 128, 255});
    swf.defineSprite(3, inner);
    swf.defineSprite(2, outer);
    swf.placeObject2({.depth = 1, .characterId = 1, .name = "shape"});
    swf.placeObject2({.depth = 2, .characterId = 2, .name = "a"});
    swf.placeObject2({.depth = 3, .characterId = 2, .name = "b"});
    switch (mode) {
    case Mode::FrameScript:
        swf.doAction(terminated(actions));
        break;
    case Mode::FunctionBody:
        swf.doAction(wrapInFunction(actions));
        break;
    case Mode::InitAction:
        swf.doInitAction(2, terminated(actions));
        break;
    }
    swf.showFrame();
    swf.placeObject2({.depth = 4, .characterId = 3, .name = "d"});
    swf.showFrame();
    swf.removeObject2(3).showFrame();
    return swf.bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::swf;
    if (size < 1) return 0;
    const uint8_t version = static_cast<uint8_t>(5 + (data[0] & 0x0F) % 6);
    const Mode mode = static_cast<Mode>((data[0] >> 4) % 3);
    const std::span<const uint8_t> actions(data + 1, std::min(size - 1, kMaxActionBytes));

    const std::vector<uint8_t> bytes = buildMovie(version, mode, actions);
    const std::shared_ptr<const Movie> movie = velmora::fuzz::loadMovie(bytes.data(), bytes.size());
    if (!movie) return 0;

    // Tighter still than the movie fuzzers': every input is a script.
    MovieInstance::Options options = velmora::fuzz::instanceOptions();
    options.limits.scriptTimeoutSeconds = 0.1;
    options.limits.maxActionSteps = 20'000;
    options.limits.maxCallDepth = 32;
    options.limits.maxStackSize = 4'096;
    options.limits.maxDisplayObjects = 2'000;
    options.limits.maxQueuedScripts = 500;
    options.limits.maxScriptsPerDrain = 2'000;
    options.limits.maxMessages = 50;
    MovieInstance instance(movie, options);
    for (int i = 0; i < kFramesToPlay; ++i) instance.tick();
    return 0;
}
