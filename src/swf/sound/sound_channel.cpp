#include "swf/sound/sound_channel.h"

#include <algorithm>
#include <cmath>

#include "swf/format/control_tags.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/clip_sound_mix.h"
#include "swf/runtime/movie_instance.h"
#include "swf/sound/audio_decoder.h"
#include "swf/sound/event_sound.h"
#include "swf/sound/mp3_file.h"
#include "swf/sound/output_format.h"
#include "swf/sound/stream_sound.h"
#include "swf/sound/stream_track.h"

namespace velmora::swf {

SoundChannel::SoundChannel(Mixer& mixer, std::shared_ptr<const void> owner) : mixer_(mixer), owner_(std::move(owner)) {}

SoundChannel::~SoundChannel() { stopAllSounds(); }

void SoundChannel::streamPlay(const Clip& clip, size_t frame) {
    playStream(&clip, clip.timeline(), clip.movie().frameRate(), frame);
    if (auto it = streams_.find(&clip); it != streams_.end() && !owners_.contains(it->second.voice.get())) {
        own(it->second.voice.get(), clip);
    }
}

void SoundChannel::own(const Voice* voice, const Clip& clip) {
    // The handle tells a removed clip from a live one; the channel only reads the clip's mix.
    owners_[voice] = const_cast<Clip&>(clip).handle();
    const ChannelTransform transform = heardTransform(clip);
    if (!transform.identity()) mixer_.setTransform(voice, transform);
}

void SoundChannel::pruneOwners() {
    std::erase_if(owners_, [this](const auto& entry) {
        const Voice* v = entry.first;
        for (const auto& [key, stream] : streams_) {
            if (stream.voice.get() == v) return false;
        }
        return std::none_of(events_.begin(), events_.end(), [v](const auto& e) { return e.get() == v; });
    });
}

std::shared_ptr<const SoundCharacter> SoundChannel::soundFromFile(std::span<const uint8_t> file, std::string& whyNot) {
    auto sound = soundFromMp3File(file, whyNot);
    if (!sound) return nullptr;
    if (!AudioDecoder::create(sound->info, whyNot)) return nullptr;
    return sound;
}

void SoundChannel::clipMixChanged() {
    pruneOwners();
    for (const auto& [voice, handle] : owners_) {
        if (const Clip* clip = handle.get()) mixer_.setTransform(voice, heardTransform(*clip));
    }
}

void SoundChannel::streamStop(const Clip& clip) { stopStream(&clip); }

std::optional<double> SoundChannel::streamPosition(const Clip& clip) const { return streamPositionOf(&clip); }

std::shared_ptr<const StreamTrack> SoundChannel::trackFor(const Timeline& timeline, double frameRate) {
    // A timeline belongs to one movie and so has one frame rate: lay it out once.
    auto& track = tracks_[&timeline];
    if (!track) {
        track = std::make_shared<const StreamTrack>(timeline, frameRate);
        // The stream's voices open their decoders as they play; say once here if they cannot.
        std::string whyNot;
        if (!track->empty() && !AudioDecoder::create(track->format(), whyNot)) {
            diagnostics_.add("a sound stream is not played: " + whyNot);
        }
    }
    return track;
}

void SoundChannel::playStream(const void* key, const Timeline& timeline, double frameRate, size_t frame) {
    if (!timeline.streamHead) return;
    if (auto heard = streamPositionOf(key); heard && size_t(std::floor(*heard)) == frame) return;
    stopStream(key);
    auto track = trackFor(timeline, frameRate);
    if (track->empty()) return;
    Stream stream;
    stream.voice = std::make_shared<StreamSound>(track, frame);
    if (stream.voice->finished()) return;
    mixer_.add(stream.voice);
    streams_[key] = std::move(stream);
}

void SoundChannel::stopStream(const void* key) {
    auto it = streams_.find(key);
    if (it == streams_.end()) return;
    // The stream's voice owns its blocks through its track, so it may fade after the movie is gone.
    mixer_.fadeOut(it->second.voice.get());
    owners_.erase(it->second.voice.get());
    streams_.erase(it);
}

std::optional<double> SoundChannel::streamPositionOf(const void* key) const {
    auto it = streams_.find(key);
    if (it == streams_.end()) return std::nullopt;
    const StreamSound& voice = *it->second.voice;
    if (voice.ended()) return std::nullopt;  // never played: the mixer could not take it
    // What the listener hears now: what the output has played since the audio thread took the
    // voice up, never past what this voice has rendered. Until then, its first sample.
    const double rendered = voice.renderPosition();
    double heard = voice.startPosition();
    if (const int64_t startedAt = voice.startedAt(); startedAt >= 0) {
        heard = std::min(heard + double(std::max<int64_t>(0, mixer_.heardFrames() - startedAt)), rendered);
    }
    if (voice.finished() && heard >= rendered) return std::nullopt;
    return voice.track().frameAt(heard);
}

void SoundChannel::dropFinishedEvents() {
    std::erase_if(events_, [](const std::shared_ptr<EventSound>& e) { return e->finished() || e->ended(); });
    std::erase_if(scripted_, [](const auto& entry) { return entry.second->finished() || entry.second->ended(); });
    pruneOwners();
}

std::shared_ptr<const SoundCharacter> SoundChannel::held(const SoundCharacter* sound) const {
    // Shares owner_'s count while pointing at the sound; without an owner it only points.
    return std::shared_ptr<const SoundCharacter>(owner_, sound);
}

void SoundChannel::addEvent(std::shared_ptr<EventSound> voice) {
    if (events_.size() >= kMaxEventSounds) {
        const EventSound* oldest = events_.front().get();
        mixer_.remove(oldest);
        std::erase_if(scripted_, [oldest](const auto& entry) { return entry.second.get() == oldest; });
        owners_.erase(oldest);
        events_.erase(events_.begin());
    }
    mixer_.add(voice);
    events_.push_back(std::move(voice));
}

void SoundChannel::startSound(const StartSound& tag, const SoundCharacter* sound) { startSoundFrom(nullptr, tag, sound); }

void SoundChannel::startSoundFor(const Clip& clip, const StartSound& tag, const SoundCharacter* sound) {
    startSoundFrom(&clip, tag, sound);
}

void SoundChannel::startSoundFrom(const Clip* clip, const StartSound& tag, const SoundCharacter* sound) {
    if (sound == nullptr) return;
    dropFinishedEvents();
    const auto isThisSound = [sound](const std::shared_ptr<EventSound>& e) { return &e->sound() == sound; };
    if (tag.info.syncStop) {
        for (auto& e : events_) {
            if (isThisSound(e)) mixer_.remove(e.get());
        }
        std::erase_if(events_, isThisSound);
        pruneOwners();
        return;
    }
    if (tag.info.syncNoMultiple && std::any_of(events_.begin(), events_.end(), isThisSound)) return;
    auto voice = std::make_shared<EventSound>(held(sound), tag.info);
    if (voice->finished()) return;
    const Voice* added = voice.get();
    addEvent(std::move(voice));
    if (clip) own(added, *clip);
}

uint64_t SoundChannel::playSound(const SoundCharacter* sound, double offsetSeconds, int loops,
                                 const ChannelTransform& transform, std::function<void(bool ranOut)> whenEnded) {
    if (sound == nullptr) return 0;
    return playShared(held(sound), offsetSeconds, loops, transform, std::move(whenEnded));
}

uint64_t SoundChannel::playScriptSound(const Clip& clip, std::shared_ptr<const SoundCharacter> sound,
                                       double offsetSeconds, int loops, std::function<void(bool ranOut)> whenEnded) {
    if (!sound) return 0;
    const uint64_t id = playShared(std::move(sound), offsetSeconds, loops, {}, std::move(whenEnded));
    if (id != 0) own(scripted_[id].get(), clip);
    return id;
}

void SoundChannel::stopClipSounds(const Clip& clip, const SoundCharacter* sound) {
    dropFinishedEvents();
    const auto within = [&clip](const Clip* c) {
        for (; c != nullptr; c = c->parent()) {
            if (c == &clip) return true;
        }
        return false;
    };
    std::vector<const Voice*> gone;
    for (const auto& e : events_) {
        if (sound != nullptr && &e->sound() != sound) continue;
        const auto owner = owners_.find(e.get());
        // The root's sounds are all the movie's, those no clip claims included.
        if (!clip.isRoot() && (owner == owners_.end() || !within(owner->second.get()))) continue;
        mixer_.remove(e.get());
        gone.push_back(e.get());
    }
    const auto isGone = [&gone](const Voice* v) { return std::find(gone.begin(), gone.end(), v) != gone.end(); };
    std::erase_if(events_, [&](const auto& e) { return isGone(e.get()); });
    std::erase_if(scripted_, [&](const auto& entry) { return isGone(entry.second.get()); });
    pruneOwners();
}

uint64_t SoundChannel::playShared(std::shared_ptr<const SoundCharacter> sound, double offsetSeconds, int loops,
                                  const ChannelTransform& transform, std::function<void(bool ranOut)> whenEnded) {
    dropFinishedEvents();
    SoundInfo info;
    const double offset = std::isfinite(offsetSeconds) ? std::clamp(offsetSeconds, 0.0, 86400.0) : 0.0;
    info.inPoint = uint32_t(std::llround(offset * kOutputRate));
    info.loops = uint16_t(std::clamp(loops, 1, 65535));
    auto voice = std::make_shared<EventSound>(std::move(sound), info);
    if (voice->finished()) return 0;
    voice->whenEnded = std::move(whenEnded);
    const uint64_t id = nextId_++;
    scripted_[id] = voice;
    addEvent(voice);
    if (!transform.identity()) mixer_.setTransform(voice.get(), transform);
    return id;
}

void SoundChannel::stopSound(uint64_t id) {
    auto it = scripted_.find(id);
    if (it == scripted_.end()) return;
    mixer_.remove(it->second.get());
    std::erase(events_, it->second);
    owners_.erase(it->second.get());
    scripted_.erase(it);
}

void SoundChannel::setSoundTransform(uint64_t id, const ChannelTransform& transform) {
    if (auto it = scripted_.find(id); it != scripted_.end()) mixer_.setTransform(it->second.get(), transform);
}

std::optional<double> SoundChannel::soundPosition(uint64_t id) const {
    auto it = scripted_.find(id);
    if (it == scripted_.end() || it->second->finished() || it->second->ended()) return std::nullopt;
    // Rendered, less what the output still holds unheard.
    const int64_t backlog = std::max<int64_t>(0, mixer_.renderedFrames() - mixer_.heardFrames());
    return outputSeconds(std::max<int64_t>(0, it->second->renderPosition() - backlog));
}

void SoundChannel::stopAllSounds() {
    for (auto& e : events_) mixer_.remove(e.get());
    events_.clear();
    scripted_.clear();
    for (auto& [key, stream] : streams_) mixer_.fadeOut(stream.voice.get());
    streams_.clear();
    owners_.clear();
}

size_t SoundChannel::eventSoundCount() const {
    return size_t(std::count_if(events_.begin(), events_.end(), [](const auto& e) { return !e->finished(); }));
}

}  // namespace velmora::swf
