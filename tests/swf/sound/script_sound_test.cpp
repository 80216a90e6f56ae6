// The script's Sound object heard through the mixer: volume, pan and transforms on the mixed
// output, a clip's volume on its stream and on the clips inside it, position, loops and the one
// completion, stop by linkage name, and MP3 files loaded from beside the movie with their tags.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "audio_fixtures.h"
#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"
#include "swf/format/id3_tags.h"
#include "swf/format/movie_loader.h"
#include "swf/sound/virtual_playback.h"

namespace velmora::test {
namespace {

constexpr int kRate = 44100;

// Stereo 16-bit PCM holding one level on each side for `seconds`.
std::vector<uint8_t> levels(int16_t left, int16_t right, double seconds) {
    std::vector<uint8_t> out;
    for (int i = 0; i < int(seconds * kRate); ++i) {
        for (int16_t v : {left, right}) out.push_back(uint8_t(v & 0xff)), out.push_back(uint8_t(uint16_t(v) >> 8));
    }
    return out;
}

const WriterSoundFormat kStereo{3, 3, true, true};

// Library sounds "tone" (0.5 s, left 8000, right 4000), "blip" (0.1 s at 6000) and "hum" (1 s
// at 1000); sprite "mc" holding a second of stream at 2000 and sprite "inner" inside it; the
// root runs `script` on its first frame and `later` on its fifth, and has 48 frames.
std::shared_ptr<const swf::Movie> movieWith(const Avm1Assembler& script, const Avm1Assembler* later = nullptr) {
    SwfWriter swf;
    swf.defineSound(1, kStereo, uint32_t(0.5 * kRate), levels(8000, 4000, 0.5));
    swf.defineSound(2, kStereo, uint32_t(0.1 * kRate), levels(6000, 6000, 0.1));
    swf.defineSound(3, kStereo, kRate, levels(1000, 1000, 1.0));
    swf.exportAssets({{1, "tone"}, {2, "blip"}, {3, "hum"}});
    SwfTagList inner;
    inner.showFrame();
    swf.defineSprite(10, inner);
    SwfTagList mc;
    mc.soundStreamHead2(kStereo, kRate / 24);
    const auto block = levels(2000, 2000, 1.0 / 24);
    for (int f = 0; f < 24; ++f) {
        mc.soundStreamBlock(block);
        if (f == 0) {
            WriterPlacement p;
            p.characterId = 10;
            p.name = "inner";
            mc.placeObject2(p);
        }
        mc.showFrame();
    }
    swf.defineSprite(11, mc);
    WriterPlacement p;
    p.characterId = 11;
    p.name = "mc";
    swf.placeObject2(p);
    swf.doAction(script.doActionBody());
    for (int f = 0; f < 48; ++f) {
        if (f == 4 && later) swf.doAction(later->doActionBody());
        swf.showFrame();
    }
    const auto bytes = swf.bytes();
    return swf::parseMovie(bytes);
}

// name = new Sound(target) (no target: the global one), then name.attachSound(linkage).
Avm1Assembler& newSound(Avm1Assembler& a, const std::string& name, const std::string& target, const std::string& linkage) {
    a.push({name});
    if (target.empty()) {
        a.newObject("Sound", {});
    } else {
        a.newObject("Sound", {target});
    }
    a.op(Action::SetVariable);
    if (!linkage.empty()) a.callMethod(name, "attachSound", {linkage}).op(Action::Pop);
    return a;
}

Avm1Assembler& call(Avm1Assembler& a, const std::string& name, const std::string& method, const std::vector<PushItem>& args) {
    return a.callMethod(name, method, args).op(Action::Pop);
}

// name.handler = function (ok) { trace(text + ok); }
Avm1Assembler& onEvent(Avm1Assembler& a, const std::string& name, const std::string& handler, const std::string& text) {
    Avm1Assembler body;
    body.push({text}).get("ok").op(Action::Add2).trace();
    return a.get(name).push({handler}).defineFunction("", {"ok"}, body).op(Action::SetMember);
}

struct Heard {
    std::vector<int16_t> pcm;
    std::vector<std::string> messages;
    // Mean level of each side over [from, to) seconds.
    double left(double from, double to) const { return mean(from, to, 0); }
    double right(double from, double to) const { return mean(from, to, 1); }
    double mean(double from, double to, int side) const {
        const size_t a = size_t(from * kRate), b = std::min(pcm.size() / 2, size_t(to * kRate));
        double sum = 0;
        for (size_t i = a; i < b; ++i) sum += pcm[2 * i + size_t(side)];
        return b > a ? sum / double(b - a) : 0;
    }
    size_t count(const std::string& line) const { return size_t(std::count(messages.begin(), messages.end(), line)); }
};

Heard hear(std::shared_ptr<const swf::Movie> movie, double seconds, swf::MovieInstance::Options options = {}) {
    swf::VirtualPlayback playback(std::move(movie), options);
    Heard heard;
    playback.run(int64_t(seconds * kRate), &heard.pcm);
    const auto& m = playback.instance().messages();
    heard.messages.assign(m.begin(), m.end());
    return heard;
}

TEST(ScriptSound, VolumePanAndTransformShapeTheSound) {
    {
        Avm1Assembler a;
        newSound(a, "s", "", "tone");
        call(a, "s", "setVolume", {50.0});
        call(a, "s", "start", {});
        a.push({"vol "}).callMethod("s", "getVolume", {}).op(Action::Add2).trace();
        const Heard h = hear(movieWith(a), 0.4);
        EXPECT_NEAR(h.left(0.1, 0.3), 4000 + 2000 * 0.5, 30);  // the tone and mc's stream, both halved
        EXPECT_NEAR(h.right(0.1, 0.3), 2000 + 1000, 30);
        EXPECT_EQ(h.count("trace: vol 50"), 1u);
    }
    {
        Avm1Assembler a;
        newSound(a, "s", "", "tone");
        call(a, "s", "setPan", {-100.0});
        call(a, "s", "start", {});
        a.push({"pan "}).callMethod("s", "getPan", {}).op(Action::Add2).trace();
        const Heard h = hear(movieWith(a), 0.4);
        EXPECT_NEAR(h.left(0.1, 0.3), 8000 + 2000, 30);
        EXPECT_NEAR(h.right(0.1, 0.3), 0, 1);
        EXPECT_EQ(h.count("trace: pan -100"), 1u);
    }
    {
        // Sides swapped: left heard on the right and right on the left; read back as set.
        Avm1Assembler a;
        newSound(a, "s", "", "tone");
        a.push({"t", "ll", 0.0, "lr", 100.0, "rl", 100.0, "rr", 0.0, 4.0}).op(Action::InitObject).op(Action::SetVariable);
        a.get("t").push({1.0}).get("s").push({"setTransform"}).op(Action::CallMethod).op(Action::Pop);
        call(a, "s", "start", {});
        a.callMethod("s", "getTransform", {}).push({"lr"}).op(Action::GetMember).trace();
        const Heard h = hear(movieWith(a), 0.4);
        EXPECT_NEAR(h.left(0.1, 0.3), 4000 + 2000, 30);
        EXPECT_NEAR(h.right(0.1, 0.3), 8000 + 2000, 30);
        EXPECT_EQ(h.count("trace: 100"), 1u);
    }
}

// A clip's volume reaches its stream and the sounds of the clips inside it, times the volumes
// above it; a sound started for another clip keeps its own.
TEST(ScriptSound, AClipsVolumeScalesItsStreamAndItsChildrensSounds) {
    Avm1Assembler a;
    newSound(a, "clip", "mc", "");
    call(a, "clip", "setVolume", {50.0});
    newSound(a, "all", "", "");
    call(a, "all", "setVolume", {50.0});
    newSound(a, "child", "mc.inner", "hum");
    call(a, "child", "start", {});
    const Heard h = hear(movieWith(a), 0.5);
    // Stream 2000 and hum 1000, each at 50% of 50%.
    EXPECT_NEAR(h.left(0.1, 0.4), (2000 + 1000) * 0.25, 20);
    EXPECT_NEAR(h.right(0.1, 0.4), (2000 + 1000) * 0.25, 20);

    // Turned back up while playing: the change reaches sounds already heard.
    Avm1Assembler up;
    call(up, "all", "setVolume", {100.0});
    call(up, "clip", "setVolume", {100.0});
    const Heard h2 = hear(movieWith(a, &up), 0.5);
    EXPECT_NEAR(h2.left(0.3, 0.45), 3000, 20);
}

TEST(ScriptSound, PositionAdvancesLoopsRepeatAndCompletionRunsOnce) {
    Avm1Assembler a;
    newSound(a, "s", "", "blip");
    onEvent(a, "s", "onSoundComplete", "done ");
    call(a, "s", "start", {0.0, 3.0});
    a.push({"duration "}).get("s").push({"duration"}).op(Action::GetMember).op(Action::Add2).trace();
    newSound(a, "t", "", "tone");
    call(a, "t", "start", {});
    Avm1Assembler later;  // the fifth frame, 4/24 s in
    later.push({"pos "}).get("t").push({"position"}).op(Action::GetMember).op(Action::Add2).trace();
    const Heard h = hear(movieWith(a, &later), 0.8);
    EXPECT_EQ(h.count("trace: duration 100"), 1u);
    // Three times the blip over the tone and stream, then the tone alone, then the stream alone.
    EXPECT_NEAR(h.left(0.02, 0.28), 6000 + 8000 + 2000, 40);
    EXPECT_NEAR(h.left(0.32, 0.48), 8000 + 2000, 40);
    EXPECT_NEAR(h.left(0.55, 0.75), 2000, 40);
    EXPECT_EQ(h.count("trace: done undefined"), 1u);
    const auto pos = std::find_if(h.messages.begin(), h.messages.end(), [](const std::string& m) { return m.rfind("trace: pos ", 0) == 0; });
    ASSERT_NE(pos, h.messages.end());
    EXPECT_NEAR(std::stod(pos->substr(11)), 1000.0 * 4 / 24, 25);
}

TEST(ScriptSound, StopByLinkageStopsThatSoundOnly) {
    Avm1Assembler a;
    newSound(a, "s", "", "tone");
    call(a, "s", "start", {});
    newSound(a, "h", "", "hum");
    call(a, "h", "start", {});
    Avm1Assembler later;
    call(later, "s", "stop", {"tone"});
    const Heard h = hear(movieWith(a, &later), 0.4);
    EXPECT_NEAR(h.left(0.02, 0.15), 8000 + 1000 + 2000, 40);
    EXPECT_NEAR(h.left(0.25, 0.4), 1000 + 2000, 40);
}

}  // namespace
}  // namespace velmora::test
