// FLV files beside a movie played by its scripts' NetStreams into a Video object: the pictures
// against ffmpeg's own decode, the status events in order, time kept by the movie or the sound,
// and the files that must be refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"
#include "swf/sound/mixer.h"
#include "swf/video/flv_file.h"
#include "swf/video/flv_media.h"
#include "flv_encoder.h"
#include "video_fixtures.h"

namespace velmora::test {
namespace {

using Lines = std::vector<std::string>;
constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kFrames = 25;  // one second at 25 pictures a second
constexpr double kMinPsnr = 35.0;

bool haveFlvTools() {
    static const bool have = std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' libmp3lame ' && "
                                         "ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' flv '") == 0;
    return have;
}

// Skips the test without ffmpeg's encoders, or fails it where fixtures are required.
#define REQUIRE_FLV_TOOLS()                                                                        \
    do {                                                                                           \
        if (!haveFlvTools()) {                                                                     \
            if (fixturesRequired()) FAIL() << "ffmpeg with the flv and libmp3lame encoders is required"; \
            GTEST_SKIP() << "ffmpeg with the flv and libmp3lame encoders is not installed";       \
        }                                                                                          \
    } while (0)

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// function (info) { trace(info.code + " " + info.level); }
Avm1Assembler statusTracer() {
    Avm1Assembler f;
    f.get("info").push({"code"}).op(Action::GetMember).push({" "}).op(Action::Add2);
    f.get("info").push({"level"}).op(Action::GetMember).op(Action::Add2).trace();
    return f;
}

// trace(variable.member)
Avm1Assembler& traceMember(Avm1Assembler& a, const std::string& variable, const std::string& member) {
    return a.get(variable).push({member}).op(Action::GetMember).trace();
}

// Connects, makes ns on it with its handlers, attaches it to the video object "vid" and plays file.
Avm1Assembler playScript(const std::string& connectTo, const std::string& file) {
    Avm1Assembler a;
    a.push({"nc"}).newObject("NetConnection", {}).op(Action::SetVariable);
    a.get("nc").push({"onStatus"}).defineFunction("", {"info"}, statusTracer()).op(Action::SetMember);
    if (connectTo.empty()) {
        a.callMethod("nc", "connect", {PushNull{}}).op(Action::Pop);
    } else {
        a.callMethod("nc", "connect", {connectTo}).op(Action::Pop);
    }
    a.push({"ns"}).get("nc").push({PushInt{1}, "NetStream"}).op(Action::NewObject).op(Action::SetVariable);
    a.get("ns").push({"onStatus"}).defineFunction("", {"info"}, statusTracer()).op(Action::SetMember);
    // function (m) { trace("meta " + m.width + "x" + m.height + " " + m.framerate + " " + vid.width); }
    Avm1Assembler meta;
    meta.push({"meta "}).get("m").push({"width"}).op(Action::GetMember).op(Action::Add2);
    meta.push({"x"}).op(Action::Add2).get("m").push({"height"}).op(Action::GetMember).op(Action::Add2);
    meta.push({" "}).op(Action::Add2).get("m").push({"framerate"}).op(Action::GetMember).op(Action::Add2);
    meta.push({" "}).op(Action::Add2).get("vid").push({"width"}).op(Action::GetMember).op(Action::Add2).trace();
    a.get("ns").push({"onMetaData"}).defineFunction("", {"m"}, meta).op(Action::SetMember);
    a.get("ns").push({PushInt{1}}).get("vid").push({"attachVideo"}).op(Action::CallMethod).op(Action::Pop);
    a.callMethod("ns", "play", {file}).op(Action::Pop);
    return a;
}

// trace(a + b + ...): each part a path from a variable ("c.parameters.lang") or, after '=', text.
Avm1Assembler& traceJoined(Avm1Assembler& a, const std::vector<std::string>& parts) {
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.starts_with("=")) {
            a.push({part.substr(1)});
        } else {
            size_t dot = part.find('.');
            a.get(part.substr(0, dot));
            while (dot != std::string::npos) {
                const size_t next = part.find('.', dot + 1);
                a.push({part.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1)})
                    .op(Action::GetMember);
                dot = next;
            }
        }
        if (i > 0) a.op(Action::Add2);
    }
    return a.trace();
}

// Script data in the encoding FLV files use, for the tags the tests add to ffmpeg's files.
struct ScriptData {
    std::vector<uint8_t> b;
    void u16(size_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
    void u32(size_t v) { u16(v >> 16), u16(v & 0xFFFF); }
    ScriptData& text(const std::string& s) { return b.push_back(2), u16(s.size()), b.insert(b.end(), s.begin(), s.end()), *this; }
    ScriptData& key(const std::string& s) { return u16(s.size()), b.insert(b.end(), s.begin(), s.end()), *this; }
    ScriptData& number(double d) {
        b.push_back(0);
        const auto bits = std::bit_cast<uint64_t>(d);
        for (int i = 7; i >= 0; --i) b.push_back(uint8_t(bits >> (i * 8)));
        return *this;
    }
    ScriptData& flag(bool on) { return b.insert(b.end(), {1, uint8_t(on)}), *this; }
    ScriptData& object() { return b.push_back(3), *this; }
    ScriptData& associative(size_t count) { return b.push_back(8), u32(count), *this; }
    ScriptData& list(size_t count) { return b.push_back(10), u32(count), *this; }
    ScriptData& end() { return u16(0), b.push_back(9), *this; }
};

// A cue point as encoders write it: {name, time, type, parameters {lang}}.
ScriptData& cuePoint(ScriptData& d, const std::string& name, double time, const std::string& type) {
    d.object().key("name").text(name).key("time").number(time).key("type").text(type);
    return d.key("parameters").object().key("lang").text("en").end().end();
}

// Puts a script data tag stamped ms into flv before the first tag stamped later; replacing the
// file's first tag (ffmpeg's metadata) instead when asked.
void insertScriptTag(std::vector<uint8_t>& flv, uint32_t ms, const std::vector<uint8_t>& body, bool replaceFirst = false) {
    std::vector<uint8_t> tag{18, uint8_t(body.size() >> 16), uint8_t(body.size() >> 8), uint8_t(body.size()),
                             uint8_t(ms >> 16), uint8_t(ms >> 8), uint8_t(ms), uint8_t(ms >> 24), 0, 0, 0};
    tag.insert(tag.end(), body.begin(), body.end());
    const size_t whole = tag.size();
    tag.insert(tag.end(), {uint8_t(whole >> 24), uint8_t(whole >> 16), uint8_t(whole >> 8), uint8_t(whole)});
    auto u24 = [&](size_t at) { return size_t(flv[at]) << 16 | size_t(flv[at + 1]) << 8 | flv[at + 2]; };
    size_t at = 13;  // past the header and the first "previous tag size"
    if (replaceFirst) {
        flv.erase(flv.begin() + long(at), flv.begin() + long(at + 11 + u24(at + 1) + 4));
    } else {
        while (at + 11 <= flv.size() && (u24(at + 4) | size_t(flv[at + 7]) << 24) <= ms) at += 11 + u24(at + 1) + 4;
    }
    flv.insert(flv.begin() + long(std::min(at, flv.size())), tag.begin(), tag.end());
}

class NetStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = uniqueTempPath("netstream");
        std::filesystem::remove_all(root_);
        folder_ = root_ + "/lesson";
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    bool run(const std::string& command) {
        const int rc = std::system((command + " >/dev/null 2>&1").c_str());
        EXPECT_EQ(rc, 0) << command;
        return rc == 0;
    }

    // clip.flv in the folder: a second of a 160x120 test picture in Sorenson H.263, a keyframe
    // every ten pictures, with a 1 kHz MP3 tone if asked; and ffmpeg's decode of its pictures.
    // (The MP3 encoder's delay moves the pictures a little later than the sound.)
    bool makeClip(bool withTone = false) {
        const std::string flv = folder_ + "/clip.flv";
        const std::string raw = root_ + "/clip.rgb";
        const std::string tone = withTone ? " -f lavfi -i sine=frequency=1000:sample_rate=44100:duration=1" : "";
        const std::string toneCodec = withTone ? " -c:a libmp3lame -ar 44100 -ac 1" : "";
        if (!run("ffmpeg -y -hide_banner -f lavfi -i testsrc=size=160x120:rate=25:duration=1" + tone +
                 " -c:v flv -g 10" + toneCodec + " \"" + flv + "\"") ||
            !run("ffmpeg -y -hide_banner -i \"" + flv + "\" -vsync 0 -sws_flags bicubic -f rawvideo -pix_fmt rgb24 \"" + raw +
                 "\""))
            return false;
        const std::vector<uint8_t> rgb = readFile(raw);
        const size_t frameBytes = size_t(kWidth) * kHeight * 3;
        for (size_t at = 0; at + frameBytes <= rgb.size(); at += frameBytes) {
            QImage image(kWidth, kHeight, QImage::Format_RGB32);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const uint8_t* p = &rgb[at + (size_t(y) * kWidth + size_t(x)) * 3];
                    image.setPixel(x, y, qRgb(p[0], p[1], p[2]));
                }
            reference_.push_back(image);
        }
        return reference_.size() == size_t(kFrames);
    }

    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(folder_ + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    }

    // A 160x120 movie at 25 frames a second whose embedded-video object "vid" (no frames of its
    // own) fills the stage; setup runs on the first frame, later[f] on frame f + 1 (one-based).
    void load(const Avm1Assembler& setup, const std::map<int, Avm1Assembler>& later = {}, int frames = 40,
              swf::Mixer* mixer = nullptr) {
        SwfWriter swf(8);
        swf.stageSizePixels(kWidth, kHeight).frameRate(25);
        swf.rawTag(swf::kTagDefineVideoStream, defineVideoStreamBody(1, 0, kWidth, kHeight, 0));
        swf.placeObject2({.depth = 1, .characterId = 1, .name = std::string("vid")});
        swf.doAction(setup.doActionBody()).showFrame();
        for (int f = 2; f <= frames; ++f) {
            if (auto it = later.find(f); it != later.end()) swf.doAction(it->second.doActionBody());
            swf.showFrame();
        }
        movie_ = swf::parseMovie(swf.bytes());
        opener_ = std::make_unique<swf::FlvMediaOpener>(mixer);
        swf::MovieInstance::Options options;
        options.url = folder_ + "/main.swf";
        options.virtualClock = true;
        options.loop = false;
        options.media = opener_.get();
        instance_ = std::make_unique<swf::MovieInstance>(movie_, options);
        resources_.setMovie(movie_);
        renderer_ = std::make_unique<swf::StageRenderer>(resources_);
    }

    QImage stage() {
        return renderer_->renderImage(instance_->root().displayList(), movie_->stage, QSize(kWidth, kHeight), Qt::black);
    }
    Lines messages() const { return {instance_->messages().begin(), instance_->messages().end()}; }

    std::string root_;
    std::string folder_;
    std::vector<QImage> reference_;
    std::shared_ptr<const swf::Movie> movie_;
    std::unique_ptr<swf::FlvMediaOpener> opener_;
    swf::RenderResources resources_;
    std::unique_ptr<swf::StageRenderer> renderer_;
    std::unique_ptr<swf::MovieInstance> instance_;
};

TEST_F(NetStreamTest, PlaysIntoTheVideoObjectOnTheMovieClockWithItsEventsInOrder) {
    REQUIRE_FLV_TOOLS();
    ASSERT_TRUE(makeClip());
    Avm1Assembler atTen;  // frame 10 runs on tick 9, before the stream moves: 7 pictures in
    traceMember(atTen, "ns", "time");
    traceMember(atTen, "ns", "bytesLoaded");
    load(playScript("", "clip.flv"), {{10, atTen}});
    EXPECT_TRUE(stage().pixel(80, 60) == qRgb(0, 0, 0)) << "nothing is shown before the file has come";
    for (int tick = 1; tick <= 42; ++tick) {
        instance_->tick();
        // Tick t shows the picture due (t - 1) / 25 seconds in.
        if (tick == 1 || tick == 2 || tick == 13 || tick == kFrames) {
            EXPECT_GE(psnr(stage(), reference_[size_t(tick - 1)]), kMinPsnr) << "tick " << tick;
        }
    }
    // The last picture stays once the stream has played out.
    EXPECT_GE(psnr(stage(), reference_.back()), kMinPsnr);
    const std::string size = std::to_string(std::filesystem::file_size(folder_ + "/clip.flv"));
    EXPECT_EQ(messages(), (Lines{"trace: NetConnection.Connect.Success status", "trace: NetStream.Play.Start status",
                                 "trace: meta 160x120 25 160", "trace: NetStream.Buffer.Full status",
                                 "trace: 0.28", "trace: " + size, "trace: NetStream.Buffer.Flush status",
                                 "trace: NetStream.Play.Stop status",
                                 "trace: NetStream.Buffer.Empty status"}));
    EXPECT_FALSE(instance_->needsTicks()) << "a stream that played out needs no clock";
}

TEST_F(NetStreamTest, PauseHoldsThePictureSeekMovesItAndClearBlanksIt) {
    REQUIRE_FLV_TOOLS();
    ASSERT_TRUE(makeClip());
    // Frame f's script runs on tick f - 1, before the stream moves on that tick.
    std::map<int, Avm1Assembler> later;
    later[6].callMethod("ns", "pause", {}).op(Action::Pop);  // toggles: paused 0.12 s in
    traceMember(later[10], "ns", "time");
    later[10].callMethod("ns", "seek", {0.6}).op(Action::Pop);
    later[11].callMethod("vid", "clear", {}).op(Action::Pop);
    later[13].callMethod("ns", "pause", {false}).op(Action::Pop);
    load(playScript("", "clip.flv"), later);
    for (int tick = 1; tick <= 9; ++tick) instance_->tick();
    EXPECT_GE(psnr(stage(), reference_[15]), kMinPsnr) << "paused, the sought picture";
    instance_->tick();
    instance_->tick();
    EXPECT_TRUE(stage().pixel(80, 60) == qRgb(0, 0, 0)) << "cleared, blank until the next picture";
    instance_->tick();  // unpaused: the stream moves on from 0.6 s
    EXPECT_GE(psnr(stage(), reference_[16]), kMinPsnr);
    const Lines got = messages();
    ASSERT_GE(got.size(), 9u);
    EXPECT_EQ(Lines(got.begin() + 4, got.begin() + 9),
              (Lines{"trace: NetStream.Pause.Notify status", "trace: 0.12", "trace: NetStream.Seek.Notify status",
                     "trace: NetStream.Buffer.Full status", "trace: NetStream.Unpause.Notify status"}));
}

TEST_F(NetStreamTest, TheToneIsMixedAndTheStreamKeepsTimeByIt) {
    REQUIRE_FLV_TOOLS();
    ASSERT_TRUE(makeClip(true));
    swf::Mixer mixer;
    Avm1Assembler atFour;
    traceMember(atFour, "ns", "time");
    load(playScript("", "clip.flv"), {{4, atFour}}, 40, &mixer);
    instance_->tick();  // the file comes and its sound starts
    // Half a second of sound is heard while the movie's clock moves one frame: the stream
    // follows the sound, not the frame count.
    std::vector<int16_t> pcm(size_t(22050) * 2);
    mixer.render(pcm.data(), 22050);
    instance_->tick();
    instance_->tick();
    // A 1 kHz tone: two zero crossings a millisecond, loud enough to hear (past the MP3's start).
    int crossings = 0;
    double energy = 0;
    for (size_t i = 11025; i < 22050; ++i) {
        const int16_t left = pcm[i * 2];
        if ((left < 0) != (pcm[(i - 1) * 2] < 0)) ++crossings;
        energy += double(left) * left;
    }
    EXPECT_NEAR(crossings, 500, 10);
    EXPECT_GT(std::sqrt(energy / 11025), 1000.0);
    EXPECT_EQ(messages().back(), "trace: 0.5");
    // The movie going away silences its streams.
    instance_.reset();
    mixer.render(pcm.data(), 1024);
    mixer.render(pcm.data(), 1024);
    EXPECT_EQ(mixer.voiceCount(), 0u);
}

// What the authoring tool's video component plays: H.264 with B-frames and AAC, through the same
// stream, events and Video object as the older codecs. A sound this player lacks is named once
// and the pictures play without it.
TEST_F(NetStreamTest, H264AndAacFilesPlayLikeTheOthersAndAnUnknownSoundIsNamedOnce) {
    for (const char* name : {"libx264", "aac", "pcm_alaw"}) {
        if (haveEncoder(name)) continue;
        if (fixturesRequired()) FAIL() << "libavcodec's " << name << " encoder is required";
        GTEST_SKIP() << "this libavcodec has no " << name << " encoder";
    }
    for (const char* sound : {"aac", "pcm_alaw"}) {
        SCOPED_TRACE(sound);
        const EncodedFlv flv = encodeFlv({.sound = sound, .frames = 25, .sampleRate = 44100, .soundSeconds = 1.0});
        std::ofstream(folder_ + "/avc.flv", std::ios::binary)
            .write(reinterpret_cast<const char*>(flv.bytes.data()), long(flv.bytes.size()));
        load(playScript("", "avc.flv"));
        // Tick t shows what is due (t - 1) / 25 seconds in; the muxer's delay holds the first
        // picture for its first ticks.
        for (int tick = 1; tick <= 40; ++tick) {
            instance_->tick();
            const int due = std::clamp(int(std::floor(((tick - 1) / 25.0 - flv.shift) * 25 + 1e-6)), 0, 24);
            if (tick % 3 == 0) {
                EXPECT_GE(psnr(stage(), flv.pictures[size_t(due)]), kMinPsnr) << "tick " << tick;
            }
        }
        Lines expected{"trace: NetConnection.Connect.Success status", "trace: NetStream.Play.Start status",
                       "trace: meta 160x120 25 160", "trace: NetStream.Buffer.Full status",
                       "trace: NetStream.Buffer.Flush status", "trace: NetStream.Play.Stop status",
                       "trace: NetStream.Buffer.Empty status"};
        if (std::string(sound) == "pcm_alaw")
            expected.insert(expected.begin() + 1, "script: NetStream plays \"avc.flv\" in part: its pcm_alaw sound is not played");
        EXPECT_EQ(messages(), expected);
    }
}

// Cue points the file carries: listed in the metadata, called as the stream passes their times,
// and again when a seek sends it back before them (but not for those before where it lands).
TEST_F(NetStreamTest, TheFilesCuePointsAreListedAndCalledAsTheStreamPassesThem) {
    REQUIRE_FLV_TOOLS();
    ASSERT_TRUE(makeClip());
    std::vector<uint8_t> flv = readFile(folder_ + "/clip.flv");
    ScriptData meta;
    meta.text("onMetaData").associative(4).key("duration").number(1).key("creator").text("course tool");
    meta.key("canSeekToEnd").flag(true).key("cuePoints").list(2);
    cuePoint(meta, "intro", 0.2, "event");
    cuePoint(meta, "quiz", 0.6, "navigation").end();
    insertScriptTag(flv, 0, meta.b, true);
    for (auto [name, at] : {std::pair{"quiz", 600}, std::pair{"intro", 200}}) {
        ScriptData cue;
        cue.text("onCuePoint");
        cuePoint(cue, name, at / 1000.0, name == std::string("quiz") ? "navigation" : "event");
        insertScriptTag(flv, uint32_t(at), cue.b);
    }
    writeFile("cued.flv", flv);
    Avm1Assembler setup = playScript("", "cued.flv");
    Avm1Assembler onMeta;
    traceJoined(onMeta, {"=meta ", "m.duration", "= ", "m.creator", "= ", "m.canSeekToEnd", "= ", "m.cuePoints.length",
                         "= ", "m.cuePoints.1.name", "= ", "m.cuePoints.1.parameters.lang"});
    setup.get("ns").push({"onMetaData"}).defineFunction("", {"m"}, onMeta).op(Action::SetMember);
    Avm1Assembler onCue;
    traceJoined(onCue, {"=cue ", "c.name", "= ", "c.time", "= ", "c.type", "= ", "c.parameters.lang", "= at ", "ns.time"});
    setup.get("ns").push({"onCuePoint"}).defineFunction("", {"c"}, onCue).op(Action::SetMember);
    std::map<int, Avm1Assembler> later;
    later[30].callMethod("ns", "seek", {0.5}).op(Action::Pop);
    load(setup, later);
    for (int tick = 1; tick <= 45; ++tick) instance_->tick();
    EXPECT_EQ(messages(),
              (Lines{"trace: NetConnection.Connect.Success status", "trace: NetStream.Play.Start status",
                     "trace: meta 1 course tool true 2 quiz en", "trace: NetStream.Buffer.Full status",
                     "trace: cue intro 0.2 event en at 0.2", "trace: cue quiz 0.6 navigation en at 0.6",
                     "trace: NetStream.Buffer.Flush status", "trace: NetStream.Play.Stop status",
                     "trace: NetStream.Buffer.Empty status", "trace: NetStream.Seek.Notify status",
                     "trace: NetStream.Buffer.Full status", "trace: cue quiz 0.6 navigation en at 0.62",
                     "trace: NetStream.Buffer.Flush status", "trace: NetStream.Play.Stop status",
                     "trace: NetStream.Buffer.Empty status"}));
}

// MP4 files (H.264 and AAC, as the authoring tool's video component plays them) go the FLV's way:
// pictures, metadata from the container, events and seeking. Damaged ones play what can be saved
// or are refused, never crash.
TEST_F(NetStreamTest, Mp4FilesPlayThroughTheSameStreamAndDamagedOnesAreHandled) {
    for (const char* name : {"libx264", "aac"}) {
        if (haveEncoder(name)) continue;
        if (fixturesRequired()) FAIL() << "libavcodec's " << name << " encoder is required";
        GTEST_SKIP() << "this libavcodec has no " << name << " encoder";
    }
    const EncodedFlv mp4 = encodeFlv({.container = "mp4", .frames = 25, .soundSeconds = 1.0});
    ASSERT_FALSE(mp4.bytes.empty());
    // Named .m4v: the bytes say what the file is.
    writeFile("lesson.m4v", mp4.bytes);
    Avm1Assembler setup = playScript("", "lesson.m4v");
    Avm1Assembler onMeta;
    traceJoined(onMeta, {"=meta ", "m.width", "=x", "m.height", "= ", "m.videocodecid", "= ", "m.audiocodecid"});
    setup.get("ns").push({"onMetaData"}).defineFunction("", {"m"}, onMeta).op(Action::SetMember);
    std::map<int, Avm1Assembler> later;
    later[16].callMethod("ns", "seek", {0.2}).op(Action::Pop);
    traceMember(later[16], "ns", "time");
    load(setup, later);
    for (int tick = 1; tick <= 40; ++tick) {
        instance_->tick();
        // Up to the seek, tick t shows what is due (t - 1) / 25 seconds in; from tick 15 on (the
        // seek comes before the stream moves on that tick), what is due 0.2 s + (t - 14) / 25.
        const double at = tick < 15 ? (tick - 1) / 25.0 : 0.2 + (tick - 14) / 25.0;
        const int due = std::clamp(int(std::floor((at - mp4.shift) * 25 + 1e-6)), 0, 24);
        if (tick % 4 == 0 || tick == 15) {
            EXPECT_GE(psnr(stage(), mp4.pictures[size_t(due)]), kMinPsnr) << "tick " << tick;
        }
    }
    const Lines got = messages();
    ASSERT_GE(got.size(), 6u) << testing::PrintToString(got);
    EXPECT_EQ(Lines(got.begin(), got.begin() + 4),
              (Lines{"trace: NetConnection.Connect.Success status", "trace: NetStream.Play.Start status",
                     "trace: meta 160x120 avc1 mp4a", "trace: NetStream.Buffer.Full status"}));
    EXPECT_EQ(got[4], "trace: 0.2");
    EXPECT_EQ(got[5], "trace: NetStream.Seek.Notify status");
    EXPECT_EQ(got.back(), "trace: NetStream.Buffer.Empty status");

    swf::FlvMediaOpener opener(nullptr);
    std::string error;
    // The container's duration: the sound's, which the encoder's padding makes a little longer.
    ASSERT_TRUE(opener.openFlv(mp4.bytes, error)) << error;
    EXPECT_NEAR(opener.openFlv(mp4.bytes, error)->info().duration, 1.0, 0.05);
    const std::vector<uint8_t>& whole = mp4.bytes;
    for (size_t at = 0; at < whole.size(); at += whole.size() / 41 + 1) {
        for (int damage = 0; damage < 3; ++damage) {
            std::vector<uint8_t> bytes = whole;
            if (damage == 2) {
                bytes.resize(at);  // cut short
            } else {
                for (size_t i = at; i < std::min(bytes.size(), at + 16); ++i) bytes[i] = damage == 0 ? 0x00 : 0xFF;
            }
            error.clear();
            std::unique_ptr<swf::StreamMedia> media = opener.openFlv(bytes, error);
            if (!media) {
                EXPECT_FALSE(error.empty()) << at;
                continue;
            }
            EXPECT_LE(media->info().duration, swf::FlvLimits::kMaxDuration);
            for (double t : {0.0, 0.5, 0.2, 1.0}) media->showAt(t);
            EXPECT_LE(media->pictureWidth(), 4096);
        }
    }
}

TEST_F(NetStreamTest, FilesThatCannotBePlayedAreRefusedWithTheirStatus) {
    REQUIRE_FLV_TOOLS();
    ASSERT_TRUE(makeClip());
    std::vector<uint8_t> flv = readFile(folder_ + "/clip.flv");
    std::ofstream(folder_ + "/cut.flv", std::ios::binary).write(reinterpret_cast<const char*>(flv.data()), long(flv.size() / 2));
    std::ofstream(folder_ + "/notes.flv", std::ios::binary) << "these are not pictures";
    std::filesystem::copy_file(folder_ + "/clip.flv", root_ + "/outside.flv");
    struct Case {
        std::string file;
        std::string status;
        std::string why;
    };
    for (const Case& c : {Case{"missing.flv", "NetStream.Play.StreamNotFound", "missing.flv"},
                          Case{"../outside.flv", "NetStream.Play.StreamNotFound", "outside"},
                          Case{"/etc/passwd", "NetStream.Play.StreamNotFound", "passwd"},
                          Case{"http://example.com/clip.flv", "NetStream.Play.StreamNotFound", "http"},
                          Case{"cut.flv", "NetStream.Play.Failed", "truncated"},
                          Case{"notes.flv", "NetStream.Play.Failed", "not an FLV"}}) {
        load(playScript("", c.file));
        instance_->tick();
        instance_->tick();
        const Lines got = messages();
        ASSERT_EQ(got.size(), 3u) << c.file << ": " << testing::PrintToString(got);
        EXPECT_NE(got[1].find(c.why), std::string::npos) << got[1];
        EXPECT_EQ(got[2], "trace: " + c.status + " error") << c.file;
        EXPECT_TRUE(stage().pixel(80, 60) == qRgb(0, 0, 0)) << c.file;
    }
    // Only the local connection opens; a stream on a refused one plays nothing.
    load(playScript("rtmp://example.com/app", "clip.flv"));
    instance_->tick();
    const Lines got = messages();
    ASSERT_EQ(got.size(), 4u) << testing::PrintToString(got);
    EXPECT_NE(got[0].find("rtmp://example.com/app"), std::string::npos);
    EXPECT_EQ(got[1], "trace: NetConnection.Connect.Failed error");
    EXPECT_EQ(got[3], "trace: NetStream.Play.Failed error");
}

TEST_F(NetStreamTest, DamagedFilesPlayWhatCanBeSavedOrAreRefused) {
    REQUIRE_FLV_TOOLS();
    ASSERT_TRUE(makeClip(true));
    const std::vector<uint8_t> whole = readFile(folder_ + "/clip.flv");
    swf::FlvMediaOpener opener(nullptr);
    // Runs of bytes overwritten through the header, the tag headers and the pictures' data.
    for (size_t at = 0; at < whole.size(); at += whole.size() / 37 + 1) {
        for (uint8_t fill : {uint8_t(0x00), uint8_t(0xFF), uint8_t(0x5A)}) {
            std::vector<uint8_t> bytes = whole;
            for (size_t i = at; i < std::min(bytes.size(), at + 24); ++i) bytes[i] = fill;
            std::string error;
            std::unique_ptr<swf::StreamMedia> media = opener.openFlv(bytes, error);
            if (!media) {
                EXPECT_FALSE(error.empty()) << at;
                continue;
            }
            EXPECT_LE(media->info().duration, swf::FlvLimits::kMaxDuration);
            for (double t : {0.0, 0.5, 0.2, 1.0}) media->showAt(t);
            EXPECT_LE(media->pictureWidth(), 4096);
        }
    }
}

}  // namespace
}  // namespace velmora::test
