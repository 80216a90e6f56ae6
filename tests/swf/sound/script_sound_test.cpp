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

    // Volumes that multiply past reason down the path stay at ten times, the most one clip gives.
    Avm1Assembler loud;
    for (const char* target : {"", "mc", "mc.inner"}) {
        newSound(loud, "v", target, "");
        call(loud, "v", "setVolume", {1000.0});
    }
    newSound(loud, "child", "mc.inner", "hum");
    call(loud, "child", "start", {});
    const Heard h3 = hear(movieWith(loud), 0.5);
    EXPECT_NEAR(h3.left(0.1, 0.4), 2000 * 10 + 1000 * 10, 40);
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

// MP3 files beside the movie: one tagged and played, one outside the folder, one that is no sound.
TEST(ScriptSound, LoadSoundReadsMp3FilesInsideTheFolderOnly) {
    VELMORA_REQUIRE_FFMPEG();
    const std::string root = uniqueTempPath("loadsound");
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root + "/lesson/audio");
    const std::string wav = makeChirpWav("voice.wav", 44100, 2, 0.6);
    const std::string mp3 = encode(wav, "voice.mp3",
                                   "-c:a libmp3lame -b:a 96k -id3v2_version 3 -write_id3v1 1 -metadata title=Greeting "
                                   "-metadata artist=Teacher -metadata track=7");
    std::filesystem::copy_file(mp3, root + "/lesson/audio/Voice.mp3");
    std::filesystem::copy_file(mp3, root + "/outside.mp3");
    std::ofstream(root + "/lesson/notes.mp3") << "these are notes, not sound";

    Avm1Assembler a;
    newSound(a, "s", "", "");
    onEvent(a, "s", "onLoad", "s ");
    Avm1Assembler tags;
    tags.push({"id3 "}).get("this").push({"id3"}).op(Action::GetMember).push({"songname"}).op(Action::GetMember).op(Action::Add2);
    tags.push({" "}).op(Action::Add2).get("this").push({"id3"}).op(Action::GetMember).push({"TPE1"}).op(Action::GetMember).op(Action::Add2);
    tags.push({" "}).op(Action::Add2).get("this").push({"id3"}).op(Action::GetMember).push({"track"}).op(Action::GetMember).op(Action::Add2);
    tags.trace();
    a.get("s").push({"onID3"}).defineFunction("", {}, tags).op(Action::SetMember);
    call(a, "s", "loadSound", {"audio\\voice.MP3", true});  // a Windows name, case aside: streams at once
    newSound(a, "out", "", "");
    onEvent(a, "out", "onLoad", "out ");
    call(a, "out", "loadSound", {"../outside.mp3", false});
    newSound(a, "bad", "", "");
    onEvent(a, "bad", "onLoad", "bad ");
    call(a, "bad", "loadSound", {"notes.mp3", false});
    Avm1Assembler later;
    later.push({"duration "}).get("s").push({"duration"}).op(Action::GetMember).op(Action::Add2).trace();
    later.push({"bytes "}).callMethod("s", "getBytesTotal", {}).op(Action::Add2).trace();

    swf::MovieInstance::Options options;
    options.url = root + "/lesson/main.swf";
    const Heard h = hear(movieWith(a, &later), 0.8, options);
    std::filesystem::remove_all(root);

    EXPECT_EQ(h.count("trace: id3 Greeting Teacher 7"), 1u);
    EXPECT_EQ(h.count("trace: s true"), 1u);
    EXPECT_EQ(h.count("trace: out false"), 1u);
    EXPECT_EQ(h.count("trace: bad false"), 1u);
    EXPECT_EQ(h.count("trace: bytes " + std::to_string(std::filesystem::file_size(mp3))), 1u);
    const auto duration = std::find_if(h.messages.begin(), h.messages.end(),
                                       [](const std::string& m) { return m.rfind("trace: duration ", 0) == 0; });
    ASSERT_NE(duration, h.messages.end());
    EXPECT_NEAR(std::stod(duration->substr(16)), 600, 60);  // the encoder pads a frame or two
    const auto refused = [&](const std::string& what) {
        return std::any_of(h.messages.begin(), h.messages.end(), [&](const std::string& m) {
            return m.find(what) != std::string::npos;
        });
    };
    EXPECT_TRUE(refused("script: refused to load \"../outside.mp3\""));
    EXPECT_TRUE(refused("\"notes.mp3\" is not played"));

    // The streaming sound is heard (the chirp, over mc's stream at 2000).
    const Heard silent = hear(movieWith(a, &later), 0.8);  // no folder: nothing loads
    EXPECT_GT(rms(h.pcm, size_t(0.2 * kRate), size_t(0.5 * kRate)),
              rms(silent.pcm, size_t(0.2 * kRate), size_t(0.5 * kRate)) + 1000);
}

// Tags as real files carry them: ID3v2.4 in UTF-8 with its date frame, v2.3 UTF-16 with a
// comment's description, v2.2's short ids, and v1 underneath filling only what v2 left out.
TEST(Id3Tags, EachVersionAndEncodingReadsTheSame) {
    const auto frame = [](const std::string& id, std::vector<uint8_t> body, bool synchsafe) {
        std::vector<uint8_t> out(id.begin(), id.end());
        const uint32_t n = uint32_t(body.size());
        if (id.size() == 3) {
            out.insert(out.end(), {uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
        } else if (synchsafe) {
            out.insert(out.end(), {uint8_t((n >> 21) & 0x7f), uint8_t((n >> 14) & 0x7f), uint8_t((n >> 7) & 0x7f), uint8_t(n & 0x7f), 0, 0});
        } else {
            out.insert(out.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n), 0, 0});
        }
        out.insert(out.end(), body.begin(), body.end());
        return out;
    };
    const auto tag = [](uint8_t major, const std::vector<uint8_t>& frames) {
        std::vector<uint8_t> out = {'I', 'D', '3', major, 0, 0};
        const uint32_t n = uint32_t(frames.size());
        out.insert(out.end(), {uint8_t((n >> 21) & 0x7f), uint8_t((n >> 14) & 0x7f), uint8_t((n >> 7) & 0x7f), uint8_t(n & 0x7f)});
        out.insert(out.end(), frames.begin(), frames.end());
        return out;
    };
    const auto text = [](uint8_t encoding, const std::string& s) {
        std::vector<uint8_t> out = {encoding};
        out.insert(out.end(), s.begin(), s.end());
        return out;
    };
    const auto field = [](const swf::Id3Tags& t, const std::string& name) {
        for (const auto& [n, v] : t.fields) {
            if (n == name) return v;
        }
        return std::string("(none)");
    };

    std::vector<uint8_t> v24 = frame("TIT2", text(3, "\xE8\xAF\xBE\xE6\x96\x87"), true);  // 课文
    const auto year = frame("TDRC", text(0, "2024"), true);
    v24.insert(v24.end(), year.begin(), year.end());
    std::vector<uint8_t> file = tag(4, v24);
    // An ID3v1 tag at the end: its title loses to v2's, its track and genre fill in.
    std::vector<uint8_t> v1(128, 0);
    std::copy_n("TAG", 3, v1.begin());
    std::copy_n("Old title", 9, v1.begin() + 3);
    v1[126] = 3;
    v1[127] = 28;
    file.insert(file.end(), 300, 0);
    file.insert(file.end(), v1.begin(), v1.end());
    swf::Id3Tags t = swf::readId3Tags(file);
    EXPECT_EQ(field(t, "songname"), "\xE8\xAF\xBE\xE6\x96\x87");
    EXPECT_EQ(field(t, "TIT2"), field(t, "songname"));
    EXPECT_EQ(field(t, "year"), "2024");
    EXPECT_EQ(field(t, "track"), "3");
    EXPECT_EQ(field(t, "genre"), "Vocal");

    // v2.3: UTF-16 with a byte-order mark; a comment with language and description.
    std::vector<uint8_t> artist = {1, 0xFF, 0xFE, 'L', 0, 'i', 0, 0x2D, 0x4E};  // "Li中"
    std::vector<uint8_t> comment = {0, 'e', 'n', 'g', 'd', 'e', 's', 'c', 0, 'H', 'i'};
    std::vector<uint8_t> v23 = frame("TPE1", artist, false);
    const auto c = frame("COMM", comment, false);
    v23.insert(v23.end(), c.begin(), c.end());
    t = swf::readId3Tags(tag(3, v23));
    EXPECT_EQ(field(t, "artist"), "Li\xE4\xB8\xAD");
    EXPECT_EQ(field(t, "comment"), "Hi");

    // v2.2's three-letter ids, and a genre by number.
    std::vector<uint8_t> v22 = frame("TAL", text(0, "Book"), false);
    const auto g = frame("TCO", text(0, "(17)"), false);
    v22.insert(v22.end(), g.begin(), g.end());
    t = swf::readId3Tags(tag(2, v22));
    EXPECT_EQ(field(t, "album"), "Book");
    EXPECT_EQ(field(t, "genre"), "Rock");

    // A frame that claims more than the tag holds, and a tag cut short, give what they can.
    std::vector<uint8_t> liar = frame("TIT2", text(3, "x"), false);
    liar[7] = 0x7f;
    EXPECT_TRUE(swf::readId3Tags(tag(3, liar)).empty());
    std::vector<uint8_t> cut = tag(3, v23);
    cut.resize(14);
    EXPECT_TRUE(swf::readId3Tags(cut).empty());
}

}  // namespace
}  // namespace velmora::test
