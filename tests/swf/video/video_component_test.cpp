// A movie built as the authoring tool builds its video component: the component's class arrives
// in the sprite's init actions and is tied to the sprite's linkage name, the instance on stage gets
// its parameters from a clip event that runs before the constructor, and the class plays an FLV
// beside the movie through NetConnection, NetStream and the Video inside the sprite, polls the
// stream's time on an interval, sets its volume through a Sound on itself, lays the video out from
// the metadata and loads its skin beside the movie (which may be missing).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "support/avm1_assembler.h"
#include "support/swf_writer.h"
#include "support/temp_path.h"
#include "swf/format/control_tags.h"
#include "swf/format/movie_loader.h"
#include "swf/format/tag_code.h"
#include "swf/render/stage_renderer.h"
#include "swf/runtime/movie_instance.h"
#include "swf/sound/mixer.h"
#include "swf/video/flv_media.h"
#include "flv_encoder.h"
#include "video_fixtures.h"

namespace velmora::test {
namespace {

using Lines = std::vector<std::string>;

// Expressions for writing the component's script in a few lines: each pushes one value.
using Expr = std::function<void(Avm1Assembler&)>;

Expr lit(PushItem v) {
    return [v](Avm1Assembler& a) { a.push({v}); };
}
// A dotted path from a variable ("this.ns.time").
Expr path(const std::string& p) {
    return [p](Avm1Assembler& a) {
        size_t dot = p.find('.');
        a.get(p.substr(0, dot));
        while (dot != std::string::npos) {
            const size_t next = p.find('.', dot + 1);
            a.push({p.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1)}).op(Action::GetMember);
            dot = next;
        }
    };
}
Expr cat(std::vector<Expr> parts) {
    return [parts](Avm1Assembler& a) {
        for (size_t i = 0; i < parts.size(); ++i) {
            parts[i](a);
            if (i > 0) a.op(Action::Add2);
        }
    };
}
Expr binary(Expr x, Action op, Expr y) {
    return [=](Avm1Assembler& a) { x(a), y(a), a.op(op); };
}
// path(args...): a method call when the path has a dot, else a function call.
Expr call(const std::string& p, std::vector<Expr> args) {
    return [p, args](Avm1Assembler& a) {
        for (size_t i = args.size(); i-- > 0;) args[i](a);
        a.push({PushInt{int32_t(args.size())}});
        const size_t dot = p.rfind('.');
        if (dot == std::string::npos) {
            a.push({p}).op(Action::CallFunction);
        } else {
            path(p.substr(0, dot))(a);
            a.push({p.substr(dot + 1)}).op(Action::CallMethod);
        }
    };
}
Expr make(const std::string& cls, std::vector<Expr> args) {
    return [cls, args](Avm1Assembler& a) {
        for (size_t i = args.size(); i-- > 0;) args[i](a);
        a.push({PushInt{int32_t(args.size())}, cls}).op(Action::NewObject);
    };
}
Expr function(const std::vector<std::string>& params, const Avm1Assembler& body) {
    return [params, body](Avm1Assembler& a) { a.defineFunction("", params, body); };
}
void assign(Avm1Assembler& a, const std::string& p, const Expr& value) {
    const size_t dot = p.rfind('.');
    if (dot == std::string::npos) {
        a.push({p});
        value(a);
        a.op(Action::SetVariable);
        return;
    }
    path(p.substr(0, dot))(a);
    a.push({p.substr(dot + 1)});
    value(a);
    a.op(Action::SetMember);
}
void run(Avm1Assembler& a, const Expr& e) { e(a), a.op(Action::Pop); }
void trace(Avm1Assembler& a, const Expr& e) { e(a), a.trace(); }
// if (cond) body
void when(Avm1Assembler& a, const Expr& cond, const Avm1Assembler& body) {
    const auto skip = a.label();
    cond(a);
    a.op(Action::Not).branchIf(skip).raw(body.bytes()).bind(skip);
}
Expr sp(const Expr& e) { return cat({lit(" "), e}); }

// The component's class, as its init actions define it.
Avm1Assembler componentClass() {
    Avm1Assembler init;
    trace(init, cat({lit("init "), path("this._name"), sp(path("this.contentPath")), sp(path("this.bufferTime")),
                     sp(path("this.volume"))}));
    trace(init, cat({lit("stage "), path("Stage.scaleMode"), sp(path("Stage.align")), sp(path("Stage.width")),
                     lit("x"), path("Stage.height")}));
    assign(init, "this.nc", make("NetConnection", {}));
    run(init, call("this.nc.connect", {lit(PushNull{})}));
    assign(init, "this.ns", make("NetStream", {path("this.nc")}));
    assign(init, "this.ns.owner", path("this"));
    run(init, call("this.ns.setBufferTime", {path("this.bufferTime")}));
    Avm1Assembler forward;
    run(forward, call("this.owner.onStream", {path("info")}));
    assign(init, "this.ns.onStatus", function({"info"}, forward));
    Avm1Assembler meta;
    run(meta, call("this.owner.onMeta", {path("info")}));
    assign(init, "this.ns.onMetaData", function({"info"}, meta));
    Avm1Assembler cue;
    trace(cue, cat({lit("cue "), path("info.name"), sp(path("info.type")), sp(path("this.time"))}));
    assign(init, "this.ns.onCuePoint", function({"info"}, cue));
    run(init, call("this.vid.attachVideo", {path("this.ns")}));
    run(init, call("this.attachAudio", {path("this.ns")}));
    assign(init, "this.sound", make("Sound", {path("this")}));
    run(init, call("this.sound.setVolume", {path("this.volume")}));
    assign(init, "this.loader", make("MovieClipLoader", {}));
    run(init, call("this.loader.addListener", {path("this")}));
    run(init, call("this.createEmptyMovieClip", {lit("skin_mc"), lit(PushInt{10})}));
    run(init, call("this.loader.loadClip", {path("this.skin"), path("this.skin_mc")}));
    assign(init, "this.polls", lit(PushInt{0}));
    run(init, call("this.ns.play", {path("this.contentPath")}));
    assign(init, "this.timer", call("setInterval", {path("this"), lit("poll"), lit(PushInt{100})}));

    Avm1Assembler onMeta;
    trace(onMeta, cat({lit("meta "), call("Math.round", {path("info.duration")}), sp(path("info.width")), lit("x"), path("info.height"),
                       sp(path("info.framerate")), lit(" cues "), path("info.cuePoints.length")}));
    // Fit the video to the component's width, keeping the picture's shape.
    assign(onMeta, "this.vid._width", path("this.boxWidth"));
    assign(onMeta, "this.vid._height", binary(binary(path("this.boxWidth"), Action::Multiply, path("info.height")),
                                              Action::Divide, path("info.width")));
    trace(onMeta, cat({lit("video "), path("this.vid._width"), lit("x"), path("this.vid._height"), lit(" of "),
                       path("this.vid.width"), lit("x"), path("this.vid.height")}));

    Avm1Assembler onStream;
    trace(onStream, path("info.code"));
    Avm1Assembler stopped;
    run(stopped, call("clearInterval", {path("this.timer")}));
    trace(stopped, cat({lit("end "), call("Math.round", {path("this.ns.time")}), sp(binary(path("this.polls"), Action::Greater, lit(PushInt{5}))),
                        sp(binary(path("this.lastTime"), Action::Greater, lit(0.9))), sp(binary(path("this.ns.bytesLoaded"), Action::Equals2,
                                                               path("this.ns.bytesTotal")))}));
    run(stopped, call("this.ns.close", {}));
    trace(stopped, cat({lit("closed "), path("this.ns.time")}));
    when(onStream, binary(path("info.code"), Action::Equals2, lit("NetStream.Play.Stop")), stopped);

    // The progress bar's poll: the time only moves on, the buffer never holds more than asked.
    Avm1Assembler poll;
    assign(poll, "this.polls", binary(path("this.polls"), Action::Add2, lit(PushInt{1})));
    Avm1Assembler back;
    trace(back, cat({lit("time went back to "), path("this.ns.time")}));
    when(poll, binary(path("this.ns.time"), Action::Less2, path("this.lastTime")), back);
    Avm1Assembler over;
    trace(over, cat({lit("buffer over "), path("this.ns.bufferLength")}));
    when(poll, binary(path("this.ns.bufferTime"), Action::Less2, path("this.ns.bufferLength")), over);
    assign(poll, "this.lastTime", path("this.ns.time"));

    Avm1Assembler skinLoaded;
    trace(skinLoaded, cat({lit("skin "), path("target._name")}));
    Avm1Assembler skinMissing;
    trace(skinMissing, cat({lit("no skin "), path("code")}));

    Avm1Assembler a;
    Avm1Assembler ctor;
    run(ctor, call("this.init", {}));
    assign(a, "_global.VideoComponent", function({}, ctor));
    assign(a, "VideoComponent.prototype", make("MovieClip", {}));
    assign(a, "VideoComponent.prototype.init", function({}, init));
    assign(a, "VideoComponent.prototype.onMeta", function({"info"}, onMeta));
    assign(a, "VideoComponent.prototype.onStream", function({"info"}, onStream));
    assign(a, "VideoComponent.prototype.poll", function({}, poll));
    assign(a, "VideoComponent.prototype.onLoadInit", function({"target"}, skinLoaded));
    assign(a, "VideoComponent.prototype.onLoadError", function({"target", "code"}, skinMissing));
    run(a, call("Object.registerClass", {lit("FLVPlayback"), path("VideoComponent")}));
    return a;
}

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class VideoComponentTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = uniqueTempPath("component");
        std::filesystem::remove_all(root_);
        folder_ = root_ + "/lesson";
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    // The lesson: the component (sprite 2, holding video object 1 as "vid") placed as "player"
    // with its parameters; the lesson's own script pauses, seeks and resumes it on later frames.
    void load(double volume, swf::Mixer* mixer) {
        SwfWriter swf(8);
        swf.stageSizePixels(kWidth, kHeight).frameRate(25);
        swf.rawTag(swf::kTagDefineVideoStream, defineVideoStreamBody(1, 0, 160, 120, 0));
        SwfTagList sprite;
        sprite.placeObject2({.depth = 1, .characterId = 1, .name = std::string("vid")}).showFrame();
        swf.defineSprite(2, sprite);
        swf.exportAssets({{2, "FLVPlayback"}});
        swf.doInitAction(2, componentClass().doActionBody());
        // The parameters the authoring tool writes: set in the instance's scope before its class
        // is constructed.
        Avm1Assembler parameters;
        parameters.set("contentPath", "movies\\intro.flv").set("bufferTime", 0.1).set("volume", volume);
        parameters.set("skin", "SteelSkin.swf").set("boxWidth", PushInt{320});
        swf.placeObject2({.depth = 1,
                          .characterId = 2,
                          .name = std::string("player"),
                          .clipActions = {{.events = swf::kClipEventConstruct, .actions = parameters.doActionBody()}}});
        swf.showFrame();
        std::map<int, Avm1Assembler> later;
        run(later[12], call("player.ns.pause", {lit(true)}));
        // The lesson's own seek bar, which moves the progress it shows with it.
        run(later[16], call("player.ns.seek", {lit(0.2)}));
        assign(later[16], "player.lastTime", lit(0.2));
        run(later[20], call("player.ns.pause", {lit(false)}));
        for (int f = 2; f <= 100; ++f) {
            if (auto it = later.find(f); it != later.end()) swf.doAction(it->second.doActionBody());
            swf.showFrame();
        }
        movie_ = swf::parseMovie(swf.bytes());
        opener_ = std::make_unique<swf::FlvMediaOpener>(mixer);
        swf::MovieInstance::Options options;
        options.url = folder_ + "/lesson.swf";
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
    std::shared_ptr<const swf::Movie> movie_;
    std::unique_ptr<swf::FlvMediaOpener> opener_;
    swf::RenderResources resources_;
    std::unique_ptr<swf::StageRenderer> renderer_;
    std::unique_ptr<swf::MovieInstance> instance_;
};

TEST_F(VideoComponentTest, PlaysItsFileWithTheEventsItListensForWithOrWithoutItsSkin) {
    for (const char* name : {"libx264", "aac"}) {
        if (haveEncoder(name)) continue;
        if (fixturesRequired()) FAIL() << "libavcodec's " << name << " encoder is required";
        GTEST_SKIP() << "this libavcodec has no " << name << " encoder";
    }
    // A second of pictures and a tone from the start, in a subfolder as courseware keeps them.
    const EncodedFlv flv = encodeFlv({.frames = 25, .gop = 5, .toneFrom = 0, .soundSeconds = 1.0});
    ASSERT_FALSE(flv.bytes.empty());
    std::filesystem::create_directories(folder_ + "/movies");
    std::ofstream(folder_ + "/movies/intro.flv", std::ios::binary)
        .write(reinterpret_cast<const char*>(flv.bytes.data()), long(flv.bytes.size()));

    for (bool withSkin : {false, true}) {
        SCOPED_TRACE(withSkin ? "with its skin" : "without its skin");
        if (withSkin) SwfWriter(8).stageSizePixels(320, 40).writeFile(folder_ + "/SteelSkin.swf");
        swf::Mixer mixer;
        const double volume = withSkin ? 100 : 0;
        load(volume, &mixer);
        std::vector<int16_t> pcm(size_t(2048) * 2);
        double energy = 0;
        for (int tick = 1; tick <= 60; ++tick) {
            instance_->tick();
            mixer.render(pcm.data(), 1764);  // what a 25th of a second takes
            if (tick > 3 && tick < 10)
                for (size_t i = 0; i < 1764 * 2; ++i) energy += double(pcm[i]) * pcm[i];
            if (tick == 6) {
                // The picture due 0.2 s in, scaled up to the component's 320 pixels.
                const int due = std::clamp(int(std::floor((0.2 - flv.shift) * 25 + 1e-6)), 0, 24);
                const QImage shown = stage().copy(0, 0, 320, 240).scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                EXPECT_GE(psnr(shown, flv.pictures[size_t(due)]), 25.0);
            }
        }
        const double loudness = std::sqrt(energy / (6 * 1764 * 2));
        if (volume == 0) {
            EXPECT_LT(loudness, 50.0) << "the component set its volume to nothing";
        } else {
            EXPECT_GT(loudness, 1000.0);
        }
        // The skin comes between frames, when it comes: apart from the stream's news.
        Lines got;
        std::string skin;
        for (const std::string& line : messages()) {
            EXPECT_EQ(line.find("unsupported"), std::string::npos) << line;
            if (line.find("skin") != std::string::npos || line.find("SteelSkin") != std::string::npos) {
                skin += line + "\n";
            } else {
                got.push_back(line);
            }
        }
        EXPECT_EQ(skin, withSkin ? "trace: skin skin_mc\n"
                                 : "script: refused to load \"SteelSkin.swf\" was not found beside the movie\n"
                                   "trace: no skin URLNotFound\n");
        const Lines expected{
            "trace: init player movies\\intro.flv 0.1 " + std::string(withSkin ? "100" : "0"),
            "trace: stage showAll  320x240",
            "trace: NetStream.Play.Start",
            "trace: meta 1 160x120 25 cues undefined",
            "trace: video 320x240 of 160x120",
            "trace: NetStream.Buffer.Full",
            "trace: NetStream.Pause.Notify",
            "trace: NetStream.Seek.Notify",
            "trace: NetStream.Buffer.Full",
            "trace: NetStream.Unpause.Notify",
            "trace: NetStream.Buffer.Flush",
            "trace: NetStream.Play.Stop",
            "trace: end 1 true true true",
            "trace: closed 0"};
        EXPECT_EQ(got, expected);
    }
}

}  // namespace
}  // namespace velmora::test
