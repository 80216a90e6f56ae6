#include "swf/sound/sound_channel.h"

#include <algorithm>
#include <cmath>

#include "swf/format/control_tags.h"
#include "swf/runtime/clip.h"
#include "swf/runtime/movie_instance.h"
#include "swf/sound/audio_decoder.h"
#include "swf/sound/event_sound.h"
#include "swf/sound/stream_sound.h"
#include "swf/sound/stream_track.h"

namespace velmora::swf {

SoundChannel::SoundChannel(Mixer& mixer) : mixer_(mixer) {}

SoundChannel::~SoundChannel() { stopAllSounds(); }

void SoundChannel::streamPlay(const Clip& clip, size_t frame) {
    playStream(&clip, clip.timeline(), clip.movie().frameRate(), frame);
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
    stream.startRendered = mixer_.renderedFrames();
    stream.startPosition = stream.voice->renderPosition();
    mixer_.add(stream.voice);
    streams_[key] = std::move(stream);
}

void SoundChannel::stopStream(const void* key) {
    auto it = streams_.find(key);
    if (it == streams_.end()) return;
    // The stream's voice owns its blocks through its track, so it may fade after the movie is gone.
    mixer_.fadeOut(it->second.voice.get());
    streams_.erase(it);
}

std::optional<double> SoundChannel::streamPositionOf(const void* key) const {
    auto it = streams_.find(key);
    if (it == streams_.end()) return std::nullopt;
    const Stream& stream = it->second;
    // What the listener hears now: what has been rendered since the start, less what the output
    // still holds, never past what this voice has rendered.
    const double played = double(std::max<int64_t>(0, mixer_.renderedFrames() - mixer_.unheardFrames() - stream.startRendered));
    const double rendered = stream.voice->renderPosition();
    const double heard = std::min(stream.startPosition + played, rendered);
    if (stream.voice->finished() && heard >= rendered) return std::nullopt;
    return stream.voice->track().frameAt(heard);
}

void SoundChannel::dropFinishedEvents() {
    std::erase_if(events_, [](const std::shared_ptr<EventSound>& e) { return e->finished(); });
}

void SoundChannel::startSound(const StartSound& tag, const SoundCharacter* sound) {
    if (sound == nullptr) return;
    dropFinishedEvents();
    const auto isThisSound = [sound](const std::shared_ptr<EventSound>& e) { return &e->sound() == sound; };
    if (tag.info.syncStop) {
        for (auto& e : events_) {
            if (isThisSound(e)) mixer_.remove(e.get());
        }
        std::erase_if(events_, isThisSound);
        return;
    }
    if (tag.info.syncNoMultiple && std::any_of(events_.begin(), events_.end(), isThisSound)) return;
    auto voice = std::make_shared<EventSound>(*sound, tag.info);
    if (!voice->problem().empty()) {
        diagnostics_.add("sound " + std::to_string(sound->id) + " is not played: " + voice->problem());
    }
    if (voice->finished()) return;
    if (events_.size() >= kMaxEventSounds) {
        mixer_.remove(events_.front().get());
        events_.erase(events_.begin());
    }
    mixer_.add(voice);
    events_.push_back(std::move(voice));
}

void SoundChannel::stopAllSounds() {
    for (auto& e : events_) mixer_.remove(e.get());
    events_.clear();
    for (auto& [key, stream] : streams_) mixer_.fadeOut(stream.voice.get());
    streams_.clear();
}

size_t SoundChannel::eventSoundCount() const {
    return size_t(std::count_if(events_.begin(), events_.end(), [](const auto& e) { return !e->finished(); }));
}

}  // namespace velmora::swf
