#include "swf/runtime/script/net_streams.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "swf/format/movie_folder.h"
#include "swf/format/video.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_bounds.h"
#include "swf/runtime/clip_properties.h"
#include "swf/runtime/clip_sound_mix.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/button_object.h"
#include "swf/runtime/script/clip_object.h"
#include "swf/runtime/script/native.h"
#include "swf/runtime/script/vm.h"

namespace velmora::swf::script {

namespace {

// Handlers are looked up and called inside one guarded run, so that a getter or a throwing
// handler is reported like any other script error.
Value callOnStatus(CallContext& cx, const Value& self, std::span<const Value> args) {
    return cx.call(cx.get(self, "onStatus"), self, args);
}
Value callOnMetaData(CallContext& cx, const Value& self, std::span<const Value> args) {
    return cx.call(cx.get(self, "onMetaData"), self, args);
}
Value callOnCuePoint(CallContext& cx, const Value& self, std::span<const Value> args) {
    return cx.call(cx.get(self, "onCuePoint"), self, args);
}

// A queued status without a code stands for the onMetaData call, in its place among them.
constexpr const char* kMetaData = "";

bool named(Vm& vm, String* key, std::string_view name) { return vm.sameKey(key, vm.key(name)); }

}  // namespace

NetStreamObject::NetStreamObject(Object* proto) : Object(proto, ObjectKind::Host) {}

void NetStreamObject::queueStatus(std::string code, std::string level) {
    // A script that calls pause() every frame must not pile up news it never hears.
    if (statuses_.size() >= 64) statuses_.pop_front();
    statuses_.push_back({std::move(code), std::move(level)});
}

void NetStreamObject::queueCuePoints() {
    const StreamMedia* m = media();
    if (!m) return;
    const std::vector<MediaCuePoint>& cues = m->info().cuePoints;
    // The hair's breadth as for the pictures: the clock adds up frame times.
    while (nextCue_ < cues.size() && cues[nextCue_].time <= time_ + 1e-6) {
        if (statuses_.size() >= 64) statuses_.pop_front();
        statuses_.push_back({"", "", int(nextCue_++)});
    }
}

bool NetStreamObject::getSpecial(Vm& vm, String* key, Value& out) {
    const StreamMedia* m = media();
    if (named(vm, key, "time")) {
        out = Value::number(time_);
    } else if (named(vm, key, "bytesLoaded") || named(vm, key, "bytesTotal")) {
        out = Value::number(bytes_);
    } else if (named(vm, key, "bufferTime")) {
        out = Value::number(bufferTime);
    } else if (named(vm, key, "bufferLength")) {
        // The whole file is at hand: what lies ahead, as far as the buffer reaches.
        out = Value::number(m ? std::clamp(m->info().duration - time_, 0.0, std::max(bufferTime, 0.0)) : 0.0);
    } else if (named(vm, key, "currentFps")) {
        out = Value::number(m && playing_ && !paused_ ? m->info().frameRate : 0.0);
    } else {
        return false;
    }
    return true;
}

bool NetStreamObject::setSpecial(Vm& vm, String* key, const Value& value) {
    if (named(vm, key, "bufferTime")) {
        const double seconds = vm.toNumber(value);
        if (std::isfinite(seconds)) bufferTime = std::max(0.0, seconds);
        return true;
    }
    // The rest of the stream's state is read-only.
    return named(vm, key, "time") || named(vm, key, "bytesLoaded") || named(vm, key, "bytesTotal") ||
           named(vm, key, "bufferLength") || named(vm, key, "currentFps");
}

VideoObject::VideoObject(Object* proto, Clip& owner, DisplayObject& video)
    : Object(proto, ObjectKind::Host), owner_(owner.handle()), video_(&video), depth_(video.depth) {}

DisplayObject* VideoObject::video() const {
    Clip* owner = owner_.get();
    if (!owner) return nullptr;
    const auto it = owner->displayList().find(depth_);
    return it != owner->displayList().end() && it->second.get() == video_ ? video_ : nullptr;
}

VideoDisplay* VideoObject::display() const {
    DisplayObject* v = video();
    if (!v) return nullptr;
    if (!v->videoDisplay) v->videoDisplay = std::make_shared<VideoDisplay>();
    return v->videoDisplay.get();
}

bool VideoObject::getSpecial(Vm& vm, String* key, Value& out) {
    DisplayObject* v = video();
    if (!v) return false;
    if (named(vm, key, "width") || named(vm, key, "height")) {
        // The size of the picture the attached stream decodes; 0 without one.
        const VideoDisplay* d = v->videoDisplay.get();
        const StreamMedia* m = d && d->feed ? d->feed->media.get() : nullptr;
        out = Value::number(!m ? 0 : named(vm, key, "width") ? m->pictureWidth() : m->pictureHeight());
        return true;
    }
    if (named(vm, key, "smoothing")) {
        const VideoDisplay* d = v->videoDisplay.get();
        const auto* character = static_cast<const VideoStreamCharacter*>(v->character.get());
        out = Value::boolean(d && d->smoothing ? *d->smoothing : character->smoothing);
        return true;
    }
    Clip& owner = *owner_.get();
    if (vm.sameKey(key, vm.names().parent)) {
        out = Value::object(vm.clipObject(owner));
        return true;
    }
    const auto index = clipPropertyIndex(key->view(), !vm.caseSensitive());
    if (!index) return false;
    // Videos have no _target of their own to give.
    if (static_cast<ClipProperty>(*index) == ClipProperty::Target) return false;
    return placedObjectProperty(vm, owner, *v, *index, out);
}

bool VideoObject::setSpecial(Vm& vm, String* key, const Value& value) {
    if (named(vm, key, "smoothing")) {
        const bool on = vm.toBoolean(value);
        if (VideoDisplay* d = display()) d->smoothing = on;
        if (Clip* owner = this->owner()) owner->movie().noteChange();
        return true;
    }
    // The decoded size is the stream's to say.
    if (named(vm, key, "width") || named(vm, key, "height")) return true;
    const auto index = clipPropertyIndex(key->view(), !vm.caseSensitive());
    if (!index) return false;
    DisplayObject* v = video();
    if (!v) return true;
    // A video turns only with its clip.
    if (static_cast<ClipProperty>(*index) == ClipProperty::Rotation) return true;
    // The conversion may run a script (valueOf) that removes the video: look for it again after.
    const double n = vm.toNumber(value);
    v = video();
    Clip* owner = owner_.get();
    if (!v || !owner || !setPlacementProperty(*v, owner->definitions(), *index, n)) return true;  // read-only here
    owner->movie().noteChange();
    return true;
}

NetStreams::NetStreams(Vm& vm) : vm_(vm) {
    tracer_ = vm_.heap().addRootTracer([this](Tracer& t) {
        for (NetStreamObject* s : active_) t.mark(s);
        std::erase_if(videos_, [](VideoObject* v) { return v->isDead(); });
        for (VideoObject* v : videos_) t.mark(v);
        for (const Value& v : held_) t.mark(v);
    });
}

NetStreams::~NetStreams() {
    for (NetStreamObject* s : active_) {
        if (StreamMedia* m = s->media()) m->stopSound();
    }
    vm_.heap().removeRootTracer(tracer_);
}

VideoObject* NetStreams::videoObject(Clip& owner, DisplayObject& video) {
    for (VideoObject* v : videos_) {
        if (v->video() == &video) return v;
    }
    const Value ctor = vm_.getMember(Value::object(vm_.global()), vm_.key("Video"));
    Object* proto = ctor.isObject() ? vm_.getMember(ctor, vm_.names().prototype).objectOrNull() : nullptr;
    auto* object = vm_.heap().make<VideoObject>(proto ? proto : vm_.realm().objectPrototype, owner, video);
    videos_.push_back(object);
    return object;
}

void NetStreams::play(NetStreamObject& stream, std::string name) {
    stream.wanted_ = std::move(name);
    stream.wantsPlay_ = true;
    if (std::find(active_.begin(), active_.end(), &stream) == active_.end()) active_.push_back(&stream);
}

void NetStreams::pause(NetStreamObject& stream, std::optional<bool> flag) {
    StreamMedia* m = stream.media();
    if (!m || !stream.playing_) return;
    const bool pause = flag.value_or(!stream.paused_);
    if (pause == stream.paused_) return;
    stream.paused_ = pause;
    if (pause) {
        m->stopSound();
        stream.queueStatus("NetStream.Pause.Notify", "status");
    } else {
        m->playSound(stream.time_);
        stream.queueStatus("NetStream.Unpause.Notify", "status");
    }
}

void NetStreams::seek(NetStreamObject& stream, double seconds) {
    StreamMedia* m = stream.media();
    if (!m) return;
    if (!std::isfinite(seconds)) {
        stream.queueStatus("NetStream.Seek.InvalidTime", "error");
        return;
    }
    stream.time_ = std::clamp(seconds, 0.0, m->info().duration);
    m->showAt(stream.time_);
    // A stream that played out plays on from where it is sent, as a player's seek bar does.
    stream.playing_ = true;
    if (!stream.paused_) m->playSound(stream.time_);
    // The cue points from there on are called as the stream passes them again, those before not.
    const std::vector<MediaCuePoint>& cues = m->info().cuePoints;
    stream.nextCue_ = size_t(std::lower_bound(cues.begin(), cues.end(), stream.time_ - 1e-6,
                                              [](const MediaCuePoint& c, double t) { return c.time < t; }) -
                             cues.begin());
    stream.flushed_ = false;
    // The whole file is at hand: the buffer is full again at once.
    stream.queueStatus("NetStream.Seek.Notify", "status");
    stream.queueStatus("NetStream.Buffer.Full", "status");
    if (std::find(active_.begin(), active_.end(), &stream) == active_.end()) active_.push_back(&stream);
    vm_.movie().noteChange();
}

void NetStreams::close(NetStreamObject& stream) {
    if (StreamMedia* m = stream.media()) m->stopSound();
    stream.feed->media.reset();
    stream.wantsPlay_ = false;
    stream.playing_ = false;
    stream.paused_ = false;
    stream.time_ = 0;
    stream.bytes_ = 0;
    stream.statuses_.clear();
    ++stream.generation_;
    std::erase(active_, &stream);
    vm_.movie().noteChange();
}

void NetStreams::attachAudio(NetStreamObject& stream, Clip& clip) {
    stream.soundClip_ = clip.handle();
    stream.soundAttached_ = true;
    applySoundSettings(stream);
}

void NetStreams::applySoundSettings(NetStreamObject& stream) {
    StreamMedia* m = stream.media();
    if (!m) return;
    // A stream attached to a clip that is gone is heard as the movie's other sounds are.
    Clip* clip = stream.soundAttached_ ? stream.soundClip_.get() : nullptr;
    const ChannelTransform heard = heardTransform(clip ? *clip : vm_.movie().root());
    const auto same = [](const ChannelTransform& a, const ChannelTransform& b) {
        return a.leftToLeft == b.leftToLeft && a.rightToLeft == b.rightToLeft && a.leftToRight == b.leftToRight &&
               a.rightToRight == b.rightToRight;
    };
    if (stream.heard_ && same(*stream.heard_, heard)) return;
    stream.heard_ = heard;
    m->setSoundTransform(heard);
}

bool NetStreams::busy() const {
    return std::any_of(active_.begin(), active_.end(), [](const NetStreamObject* s) {
        return s->wantsPlay_ || (s->playing_ && !s->paused_) || !s->statuses_.empty();
    });
}

void NetStreams::tick(double secondsPerTick) {
    // Held for the whole tick: a handler may close a stream and drop the last reference to it.
    const std::vector<NetStreamObject*> streams = active_;
    const size_t mark = held_.size();
    for (NetStreamObject* s : streams) held_.push_back(Value::object(s));
    for (NetStreamObject* s : streams) {
        // A handler of an earlier stream may have closed this one.
        if (std::find(active_.begin(), active_.end(), s) == active_.end()) continue;
        if (s->wantsPlay_) {
            start(*s);
        } else if (s->playing_ && !s->paused_) {
            advance(*s, secondsPerTick);
        }
        applySoundSettings(*s);
        deliver(*s);
    }
    held_.resize(mark);
    std::erase_if(active_, [](const NetStreamObject* s) {
        return !s->wantsPlay_ && !s->playing_ && s->statuses_.empty();
    });
}

void NetStreams::start(NetStreamObject& stream) {
    stream.wantsPlay_ = false;
    if (StreamMedia* m = stream.media()) m->stopSound();
    stream.feed->media.reset();
    stream.playing_ = false;
    stream.paused_ = false;
    stream.time_ = 0;
    stream.bytes_ = 0;
    stream.nextCue_ = 0;
    stream.flushed_ = false;
    stream.heard_.reset();
    const std::string shown = "\"" + stream.wanted_.substr(0, 200) + "\"";
    auto fail = [&](const std::string& why, const char* code) {
        vm_.diagnostic("script: NetStream cannot play " + shown + ": " + why);
        stream.queueStatus(code, "error");
    };
    if (!stream.connected) return fail("its NetConnection is not connected", "NetStream.Play.Failed");
    MediaServices* services = vm_.movie().media();
    if (!services) return fail("this player shows no video", "NetStream.Play.Failed");
    const MovieFolder folder(vm_.movie().url());
    auto got = folder.read(stream.wanted_);
    if (auto* refused = std::get_if<MovieFolder::Refused>(&got)) {
        vm_.diagnostic("script: NetStream refused to play " + refused->why);
        stream.queueStatus("NetStream.Play.StreamNotFound", "error");
        return;
    }
    auto& bytes = std::get<std::vector<uint8_t>>(got);
    const double size = double(bytes.size());
    std::string error;
    std::unique_ptr<StreamMedia> media = services->openFlv(std::move(bytes), error);
    if (!media) return fail(error, "NetStream.Play.Failed");
    if (!media->info().problem.empty()) vm_.diagnostic("script: NetStream plays " + shown + " in part: " + media->info().problem);
    stream.bytes_ = size;
    stream.feed->media = std::move(media);
    stream.playing_ = true;
    stream.queueStatus("NetStream.Play.Start", "status");
    stream.queueStatus(kMetaData, "");
    stream.queueStatus("NetStream.Buffer.Full", "status");
    stream.queueCuePoints();
    stream.media()->showAt(0);
    applySoundSettings(stream);
    stream.media()->playSound(0);
    vm_.movie().noteChange();
}

void NetStreams::advance(NetStreamObject& stream, double secondsPerTick) {
    StreamMedia* m = stream.media();
    if (!m) return;
    const uint64_t before = m->pictureSerial();
    // The sound, while it plays, is the clock; the picture never steps back to meet it.
    const std::optional<double> heard = m->soundTime();
    stream.time_ = heard ? std::max(stream.time_, *heard) : stream.time_ + secondsPerTick;
    const double duration = m->info().duration;
    if (stream.time_ >= duration) stream.time_ = duration;
    stream.queueCuePoints();
    // The file has all come into the buffer once what is left of it fits there: what a player
    // reading it says before it runs the buffer dry.
    if (!stream.flushed_ && stream.time_ + stream.bufferTime >= duration) {
        stream.flushed_ = true;
        stream.queueStatus("NetStream.Buffer.Flush", "status");
    }
    if (stream.time_ >= duration) {
        stream.playing_ = false;
        m->stopSound();
        stream.queueStatus("NetStream.Play.Stop", "status");
        stream.queueStatus("NetStream.Buffer.Empty", "status");
    }
    m->showAt(stream.time_);
    if (m->pictureSerial() != before) vm_.movie().noteChange();
}

void NetStreams::deliver(NetStreamObject& stream) {
    if (stream.statuses_.empty()) return;
    // The handlers may queue more; they wait for the next tick.
    std::deque<NetStreamObject::Notice> now;
    now.swap(stream.statuses_);
    const size_t mark = held_.size();
    held_.push_back(Value::object(&stream));
    const uint64_t generation = stream.generation_;
    for (const NetStreamObject::Notice& notice : now) {
        // What a closed or replaced play had still to say is no news for the new one.
        if (stream.generation_ != generation) break;
        // The media may have been closed or replaced by an earlier handler.
        const StreamMedia* m = stream.media();
        Value argument;
        NativeFunction caller = callOnStatus;
        if (notice.cue >= 0) {
            if (!m || size_t(notice.cue) >= m->info().cuePoints.size()) continue;
            caller = callOnCuePoint;
            argument = mediaValue(m->info().cuePoints[size_t(notice.cue)].info, 0);
        } else if (notice.code == kMetaData) {
            caller = callOnMetaData;
            Object* info = vm_.newObject();
            argument = Value::object(info);
            if (m) {
                for (const auto& [name, value] : m->info().metadata)
                    info->put(vm_.key(name), vm_.name(name), Value::number(value));
                held_.push_back(argument);
                for (const auto& [name, value] : m->info().moreMetadata)
                    info->put(vm_.key(name), vm_.name(name), mediaValue(value, 0));
            }
        } else {
            Object* info = vm_.newObject();
            argument = Value::object(info);
            info->put(vm_.key("code"), vm_.name("code"), Value::string(vm_.heap().string(notice.code)));
            info->put(vm_.key("level"), vm_.name("level"), Value::string(vm_.heap().string(notice.level)));
        }
        held_.push_back(argument);
        const Value trampoline = Value::object(makeNative(vm_, caller, 1));
        held_.push_back(trampoline);
        vm_.callTopLevel(trampoline, Value::object(&stream), std::span<const Value>(&argument, 1));
    }
    held_.resize(mark);
}

Value NetStreams::mediaValue(const MediaValue& value, int depth) {
    switch (value.kind) {
        case MediaValue::Kind::Undefined: return Value();
        case MediaValue::Kind::Null: return Value::null();
        case MediaValue::Kind::Boolean: return Value::boolean(value.number != 0);
        case MediaValue::Kind::Number: return Value::number(value.number);
        case MediaValue::Kind::String: return Value::string(vm_.heap().string(value.text));
        case MediaValue::Kind::Object:
        case MediaValue::Kind::Array: break;
    }
    // Cells made here are not reachable by the collector until the script is called; none runs
    // in between, as the objects are filled with put and the arrays with their own elements.
    if (value.kind == MediaValue::Kind::Array) {
        ArrayObject* array = vm_.newArray();
        for (const auto& [name, member] : value.members) {
            const Value element = depth < 32 ? mediaValue(member, depth + 1) : Value();
            vm_.setMember(Value::object(array), vm_.key(name), element, vm_.name(name));
        }
        return Value::object(array);
    }
    Object* object = vm_.newObject();
    for (const auto& [name, member] : value.members)
        object->put(vm_.key(name), vm_.name(name), depth < 32 ? mediaValue(member, depth + 1) : Value());
    return Value::object(object);
}

}  // namespace velmora::swf::script
