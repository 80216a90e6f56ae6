// Sound: sounds a script plays (library sounds by linkage name, MP3 files beside the movie) and
// the volume of a clip's sounds.
#include <algorithm>
#include <cmath>

#include "swf/format/id3_tags.h"
#include "swf/format/sound.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_creation.h"
#include "swf/runtime/movie_instance.h"
#include "swf/runtime/script/builtins/host_classes.h"
#include "swf/runtime/script/builtins/library_classes.h"
#include "swf/runtime/script/file_loads.h"

namespace velmora::swf::script {

namespace {

// A loaded sound file may be this large: an hour of narration at 128 kbit/s fits.
constexpr uint64_t kMaxSoundFileBytes = 64ull << 20;

// new Sound(target) keeps the target as given and finds its clip on each call, as Color does;
// without one it stands for the whole movie (the root). The volume it sets is the clip's.
//
// While a sound it started plays, the object is kept alive (so that onSoundComplete reaches it
// when the script has let go of it): a root tracer pins it until the last of its sounds ends.
class SoundObject final : public Object {
public:
    SoundObject(Object* proto, Heap& heap) : Object(proto, ObjectKind::Host), heap_(heap) {}
    ~SoundObject() override { unpin(); }

    Value target;
    Value id3;
    std::shared_ptr<const SoundCharacter> sound;
    std::vector<uint64_t> playing;  // ids of the sounds started and not yet ended, oldest first
    double lastPositionMs = 0;
    double bytesLoaded = -1;  // -1: nothing loaded
    double bytesTotal = -1;
    // Expires with the object: a sound that ends after the object is gone finds nobody to tell.
    const std::shared_ptr<const int> life = std::make_shared<const int>(0);

    const char* className() const override { return "Sound"; }
    void trace(Tracer& tracer) override {
        tracer.mark(target);
        tracer.mark(id3);
        Object::trace(tracer);
    }

    void pin() {
        if (pin_ == 0) pin_ = heap_.addRootTracer([this](Tracer& t) { t.mark(static_cast<Cell*>(this)); });
    }
    void unpin() {
        if (pin_ != 0) heap_.removeRootTracer(pin_);
        pin_ = 0;
    }

private:
    Heap& heap_;
    int pin_ = 0;
};

Object* allocSound(Vm& vm, Object* proto) { return vm.heap().make<SoundObject>(proto, vm.heap()); }

SoundObject* soundOf(const Value& self) { return dynamic_cast<SoundObject*>(self.objectOrNull()); }

// The clip whose sounds the object speaks for: its target's, or the root's for the global one.
Clip* clipOf(CallContext& cx, SoundObject* s) {
    if (!s) return nullptr;
    if (s->target.isUndefined()) return &cx.vm.movie().root();
    return clipOfValue(cx, s->target);
}

double durationMs(const SoundCharacter& sound) {
    if (sound.info.sampleRate == 0) return 0;
    const double samples = std::max<double>(0, double(sound.sampleCount) - std::max<int16_t>(0, sound.mp3SeekSamples));
    return std::round(samples * 1000.0 / sound.info.sampleRate);
}

// The exported sound for a linkage name, in the movie the sound's clip comes from (a loaded
// movie's own library for a clip inside it).
std::shared_ptr<const SoundCharacter> exportedSound(CallContext& cx, SoundObject* s, const std::string& linkage) {
    const Clip* clip = clipOf(cx, s);
    const Movie& movie = clip ? clip->definitions() : cx.vm.movie().movie();
    auto c = exportedCharacter(movie, linkage, cx.vm.caseSensitive());
    if (!c || c->kind != CharacterKind::Sound) return nullptr;
    return std::static_pointer_cast<const SoundCharacter>(c);
}

// Handlers are looked up and called inside one guarded run, so that a getter or a throwing
// handler is reported like any other script error.
Value callNamed(CallContext& cx, const Value& self, std::span<const Value> args) {
    return cx.call(cx.get(self, cx.toStdString(cx.callee->data)), self, args);
}

void callHandler(Vm& vm, SoundObject* s, std::string_view name, std::span<const Value> args = {}) {
    FunctionObject* trampoline = makeNative(vm, callNamed, 1);
    trampoline->data = Value::string(vm.name(name));
    vm.callTopLevel(Value::object(trampoline), Value::object(s), args);
}

Value construct(CallContext& cx, const Value& self, std::span<const Value> args) {
    if (auto* s = soundOf(self); s && cx.constructing) s->target = arg(args, 0);
    return self;
}

Value attachSound(CallContext& cx, const Value& self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    if (!s) return Value();
    const std::string linkage = cx.toStdString(arg(args, 0));
    s->sound = exportedSound(cx, s, linkage);
    if (!s->sound) cx.vm.diagnostic("script: Sound.attachSound: no sound is exported as \"" + linkage.substr(0, 200) + "\"");
    return Value();
}

Value start(CallContext& cx, const Value& self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    Clip* clip = clipOf(cx, s);
    SoundEvents* channel = cx.vm.movie().sound();
    if (!s || !s->sound || !clip || !channel) return Value();
    const double offset = args.empty() ? 0.0 : cx.toNumber(args[0]);
    const double loops = args.size() < 2 ? 1.0 : cx.toNumber(args[1]);
    const int times = std::isfinite(loops) ? int(std::clamp(loops, 1.0, 65535.0)) : 1;
    Vm* vm = &cx.vm;
    std::weak_ptr<const int> alive = s->life;
    auto id = std::make_shared<uint64_t>(0);
    const uint64_t started = channel->playScriptSound(
        *clip, s->sound, offset, times, [vm, s, alive, id](bool ranOut) {
            if (alive.expired()) return;
            std::erase(s->playing, *id);
            if (ranOut && s->sound) s->lastPositionMs = durationMs(*s->sound);
            // Still pinned while the handler runs, so that it has its object.
            if (ranOut) {
                callHandler(*vm, s, "onSoundComplete");
                vm->movie().runPendingActions();
            }
            if (s->playing.empty()) s->unpin();
        });
    if (started == 0) return Value();
    *id = started;
    s->playing.push_back(started);
    s->lastPositionMs = std::isfinite(offset) ? std::max(0.0, offset) * 1000.0 : 0.0;
    s->pin();
    return Value();
}

Value stop(CallContext& cx, const Value& self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    Clip* clip = clipOf(cx, s);
    SoundEvents* channel = cx.vm.movie().sound();
    if (!s || !clip || !channel) return Value();
    if (!args.empty() && !args[0].isUndefined()) {
        const std::string linkage = cx.toStdString(args[0]);
        auto which = exportedSound(cx, s, linkage);
        if (!which) return Value();  // stops nothing, as a name that names no sound
        channel->stopClipSounds(*clip, which.get());
    } else {
        channel->stopClipSounds(*clip, nullptr);
    }
    return Value();
}

Value setVolume(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, soundOf(self));
    const double v = cx.toNumber(arg(args, 0));
    if (!clip || !std::isfinite(v)) return Value();
    clip->soundMix().volume = std::clamp(std::trunc(v), 0.0, 1000.0);
    if (SoundEvents* channel = cx.vm.movie().sound()) channel->clipMixChanged();
    return Value();
}

Value getVolume(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* clip = clipOf(cx, soundOf(self));
    return clip ? Value::number(clip->soundMix().volume) : Value();
}

Value setPan(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, soundOf(self));
    const double p = cx.toNumber(arg(args, 0));
    if (!clip || !std::isfinite(p)) return Value();
    ClipSoundMix& mix = clip->soundMix();
    mix.pan = std::clamp(std::trunc(p), -100.0, 100.0);
    // The side panned away from is lowered, the other kept whole.
    mix.ll = mix.pan > 0 ? 100 - mix.pan : 100;
    mix.rr = mix.pan < 0 ? 100 + mix.pan : 100;
    mix.lr = mix.rl = 0;
    if (SoundEvents* channel = cx.vm.movie().sound()) channel->clipMixChanged();
    return Value();
}

Value getPan(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* clip = clipOf(cx, soundOf(self));
    return clip ? Value::number(clip->soundMix().pan) : Value();
}

// Fields the object leaves out keep their value.
Value setTransform(CallContext& cx, const Value& self, std::span<const Value> args) {
    Clip* clip = clipOf(cx, soundOf(self));
    const Value in = arg(args, 0);
    if (!clip || !in.isObject()) return Value();
    ClipSoundMix& mix = clip->soundMix();
    const auto field = [&](const char* name, double old) {
        const double v = numberField(cx, in, name, old);
        return std::isfinite(v) ? std::clamp(v, -1000.0, 1000.0) : old;
    };
    mix.ll = field("ll", mix.ll);
    mix.lr = field("lr", mix.lr);
    mix.rl = field("rl", mix.rl);
    mix.rr = field("rr", mix.rr);
    // A plain balance reads back as a pan; a cross-mix has none.
    mix.pan = mix.lr != 0 || mix.rl != 0 ? 0 : mix.ll < 100 ? std::clamp(100 - mix.ll, 0.0, 100.0)
                                                            : std::clamp(mix.rr - 100, -100.0, 0.0);
    if (SoundEvents* channel = cx.vm.movie().sound()) channel->clipMixChanged();
    return Value();
}

Value getTransform(CallContext& cx, const Value& self, std::span<const Value>) {
    Clip* clip = clipOf(cx, soundOf(self));
    if (!clip) return Value();
    const ClipSoundMix& mix = clip->soundMix();
    const Value out = Value::object(cx.newObject());
    setNumber(cx, out, "ll", mix.ll);
    setNumber(cx, out, "lr", mix.lr);
    setNumber(cx, out, "rl", mix.rl);
    setNumber(cx, out, "rr", mix.rr);
    return out;
}

Value getPosition(CallContext& cx, const Value& self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    if (!s) return Value();
    SoundEvents* channel = cx.vm.movie().sound();
    if (channel && !s->playing.empty()) {
        if (auto seconds = channel->scriptSoundPosition(s->playing.back())) s->lastPositionMs = *seconds * 1000.0;
    }
    return Value::number(std::round(s->lastPositionMs));
}

Value getDuration(CallContext&, const Value& self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    return s && s->sound ? Value::number(durationMs(*s->sound)) : Value::number(0);
}

Value getId3(CallContext&, const Value& self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    return s ? s->id3 : Value();
}

Value getBytesLoaded(CallContext&, const Value& self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    return s && s->bytesLoaded >= 0 ? Value::number(s->bytesLoaded) : Value();
}

Value getBytesTotal(CallContext&, const Value& self, std::span<const Value>) {
    SoundObject* s = soundOf(self);
    return s && s->bytesTotal >= 0 ? Value::number(s->bytesTotal) : Value();
}

// The file arrives between frames: its tags (onID3), then onLoad(true), and a streaming sound
// starts at once. A file that is not there or not a sound gives onLoad(false).
void soundFileArrived(Vm& vm, const Value& target, const std::string& name, bool streaming,
                      const std::vector<uint8_t>* bytes) {
    SoundObject* s = soundOf(target);
    if (!s) return;
    std::shared_ptr<const SoundCharacter> sound;
    if (bytes) {
        std::string whyNot;
        SoundEvents* channel = vm.movie().sound();
        sound = channel ? channel->soundFromFile(*bytes, whyNot) : nullptr;
        if (!channel) whyNot = "the movie plays without sound";
        if (!sound) vm.diagnostic("script: Sound.loadSound: \"" + name.substr(0, 200) + "\" is not played: " + whyNot);
    }
    if (!sound) {
        const Value failed = Value::boolean(false);
        callHandler(vm, s, "onLoad", std::span<const Value>(&failed, 1));
        return;
    }
    s->sound = sound;
    s->bytesLoaded = s->bytesTotal = double(bytes->size());
    const Id3Tags tags = readId3Tags(*bytes);
    if (!tags.empty()) {
        Object* o = vm.newObject();
        s->id3 = Value::object(o);
        for (const auto& [field, text] : tags.fields) o->put(vm.key(field), vm.name(field), Value::string(vm.heap().string(text)));
        callHandler(vm, s, "onID3");
    }
    const Value succeeded = Value::boolean(true);
    callHandler(vm, s, "onLoad", std::span<const Value>(&succeeded, 1));
    if (streaming && s->sound) {
        FunctionObject* startNow = makeNative(vm, start, 2);
        vm.callTopLevel(Value::object(startNow), target, {});
    }
}

Value loadSound(CallContext& cx, const Value& self, std::span<const Value> args) {
    SoundObject* s = soundOf(self);
    if (!s || args.empty()) return Value();
    const std::string name = cx.toStdString(args[0]);
    const bool streaming = cx.toBoolean(arg(args, 1));
    s->bytesLoaded = 0;
    s->bytesTotal = -1;
    Vm* vm = &cx.vm;
    cx.vm.movie().fileLoads().requestBytes(self, name, kMaxSoundFileBytes,
                                           [vm, name, streaming](const Value& target, const std::vector<uint8_t>* bytes) {
                                               soundFileArrived(*vm, target, name, streaming, bytes);
                                           });
    return Value();
}

Value nothing(CallContext&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installSound(Vm& vm) {
    Object* proto = vm.newObject();
    defineClass(vm, nullptr, "Sound", construct, proto, allocSound, 1);
    defineMethods(vm, proto,
                  {{"attachSound", attachSound, 1},
                   {"start", start, 2},
                   {"stop", stop, 1},
                   {"setVolume", setVolume, 1},
                   {"getVolume", getVolume},
                   {"setPan", setPan, 1},
                   {"getPan", getPan},
                   {"setTransform", setTransform, 1},
                   {"getTransform", getTransform},
                   {"loadSound", loadSound, 2},
                   {"getBytesLoaded", getBytesLoaded},
                   {"getBytesTotal", getBytesTotal},
                   {"onLoad", nothing, 1}});
    defineAccessor(vm, proto, "position", getPosition, nullptr);
    defineAccessor(vm, proto, "duration", getDuration, nullptr);
    defineAccessor(vm, proto, "id3", getId3, nullptr);
    // Policy files are for servers; the movie reads no server, so asking is accepted and moot.
    defineValue(vm, proto, "checkPolicyFile", Value::boolean(false), 0);
}

}  // namespace velmora::swf::script
