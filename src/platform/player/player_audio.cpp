#include "platform/player/player_audio.h"

#include <QMetaObject>

#include "platform/player/audio_thread.h"
#include "platform/player/speaker_output.h"

namespace velmora {

std::shared_ptr<PlayerAudio> PlayerAudio::shared() {
    // Not owned here: the players own it between them, so it closes with the last of them.
    static std::weak_ptr<PlayerAudio> current;
    std::shared_ptr<PlayerAudio> audio = current.lock();
    if (!audio) {
        audio = open([](swf::Mixer& mixer) -> std::unique_ptr<swf::AudioOutput> { return SpeakerOutput::open(mixer); });
        current = audio;
    }
    return audio;
}

std::shared_ptr<PlayerAudio> PlayerAudio::open(OutputFactory factory) {
    return std::shared_ptr<PlayerAudio>(new PlayerAudio(std::move(factory)));
}

PlayerAudio::PlayerAudio(OutputFactory factory) {
    // Voices that ended are handed back here, on the window thread, where what they hold is freed
    // and their completions are told.
    mixer_.setEndedNotifier([this] {
        QMetaObject::invokeMethod(this, [this] { mixer_.collectEnded(); }, Qt::QueuedConnection);
    });
    thread_ = std::make_unique<AudioThread>(mixer_, std::move(factory));
    audible_ = thread_->audible();
    description_ = thread_->description();
}

PlayerAudio::~PlayerAudio() {
    thread_.reset();
    mixer_.collectEnded();
}

}  // namespace velmora
