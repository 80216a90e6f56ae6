#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "swf/runtime/clip_handle.h"
#include "swf/runtime/script/object.h"
#include "swf/runtime/stream_media.h"
#include "swf/sound/channel_transform.h"

namespace velmora::swf {
struct DisplayObject;
}

namespace velmora::swf::script {

class Vm;

// A script's NetStream: plays one FLV or MP4 file from the movie's folder at a time into the Video
// objects attached to it. Reads `time`, `bytesLoaded`, `bytesTotal`, `bufferTime`, `bufferLength`
// and `currentFps` from its state; the rest of its API is NetStream.prototype's.
class NetStreamObject final : public Object {
public:
    explicit NetStreamObject(Object* proto);

    const char* className() const override { return "NetStream"; }
    bool getSpecial(Vm& vm, String* key, Value& out) override;
    bool setSpecial(Vm& vm, String* key, const Value& value) override;

    // What the attached Video objects show; lives as long as the longest of them.
    const std::shared_ptr<VideoFeed> feed = std::make_shared<VideoFeed>();

    // Set by NetStream(connection): a stream made on no connected NetConnection plays nothing.
    bool connected = false;
    double bufferTime = 0.1;

private:
    friend class NetStreams;
    // News for the script, called between frames in the order it came: an onStatus (code and
    // level), the onMetaData call (no code), or the file's cue point cue (onCuePoint).
    struct Notice {
        std::string code;
        std::string level;
        int cue = -1;
    };
    StreamMedia* media() const { return feed->media.get(); }
    void queueStatus(std::string code, std::string level);
    // Queues the file's cue points due by time_ that have not been called yet.
    void queueCuePoints();

    std::string wanted_;          // the file play() asked for, opened at the next tick
    bool wantsPlay_ = false;
    bool playing_ = false;        // between Play.Start and Play.Stop (or close)
    bool paused_ = false;
    bool metaDataDue_ = false;
    double time_ = 0;             // seconds into the file shown now
    double bytes_ = 0;
    bool flushed_ = false;        // Buffer.Flush told since the last play or seek
    size_t nextCue_ = 0;          // the first of the file's cue points not yet called
    // The clip whose sound settings (Sound.setVolume and the like) the stream's sound goes
    // through: the one it was attached to with attachAudio, else the whole movie's.
    ClipHandle soundClip_;
    bool soundAttached_ = false;
    std::optional<ChannelTransform> heard_;  // the settings last given to the playing sound
    std::deque<Notice> statuses_;
    uint64_t generation_ = 0;  // counts close() calls, so news queued before one is dropped
};

// A Video object on stage: a DefineVideoStream placed with an instance name. attachVideo gives it
// a NetStream's pictures, scaled to its box; _x, _y, _alpha, _visible, _width, _height, _xscale,
// _yscale, _rotation and _name are answered from the object on stage (the first four writable),
// `width` and `height` from the picture shown, `smoothing` is the script's to set.
class VideoObject final : public Object {
public:
    VideoObject(Object* proto, Clip& owner, DisplayObject& video);

    // The object while it is still on stage.
    DisplayObject* video() const;
    Clip* owner() const { return video() ? owner_.get() : nullptr; }
    // Its display state, made on first need.
    VideoDisplay* display() const;

    const char* className() const override { return "Video"; }
    bool getSpecial(Vm& vm, String* key, Value& out) override;
    bool setSpecial(Vm& vm, String* key, const Value& value) override;
    bool isDead() const override { return video() == nullptr; }

private:
    ClipHandle owner_;
    DisplayObject* const video_;
    const int32_t depth_;
};

// The NetStreams of one movie and its Video objects. Streams asked to play are kept (and so stay
// alive, as a playing stream does with no script holding it) until closed or played out; each
// tick opens the files asked for, moves the playing ones on and calls their onStatus and
// onMetaData handlers, between frames as files arrive.
//
// One per MovieInstance; it must be destroyed before the Vm whose heap holds the streams.
class NetStreams {
public:
    explicit NetStreams(Vm& vm);
    ~NetStreams();
    NetStreams(const NetStreams&) = delete;
    NetStreams& operator=(const NetStreams&) = delete;

    // NetStream.play(name): the file is read and opened at the next tick; a stream playing
    // another file stops it then.
    void play(NetStreamObject& stream, std::string name);
    void pause(NetStreamObject& stream, std::optional<bool> flag);
    void seek(NetStreamObject& stream, double seconds);
    void close(NetStreamObject& stream);
    // MovieClip.attachAudio(stream): the stream's sound is heard through clip's sound settings.
    void attachAudio(NetStreamObject& stream, Clip& clip);

    // Whether some stream plays or has news for its script, so that the movie needs ticks.
    bool busy() const;
    // One movie frame of secondsPerTick: see the class comment.
    void tick(double secondsPerTick);

    // The script object of a named video object on owner's display list (made on first use,
    // with Video.prototype; lives while the object is on stage).
    VideoObject* videoObject(Clip& owner, DisplayObject& video);

private:
    void start(NetStreamObject& stream);
    void deliver(NetStreamObject& stream);
    void advance(NetStreamObject& stream, double secondsPerTick);
    // Gives the playing sound the settings of the clip it is heard through, when they changed.
    void applySoundSettings(NetStreamObject& stream);
    Value mediaValue(const MediaValue& value, int depth);

    Vm& vm_;
    std::vector<NetStreamObject*> active_;
    std::vector<VideoObject*> videos_;
    std::vector<Value> held_;  // values of the handlers being called
    int tracer_ = 0;
};

}  // namespace velmora::swf::script
