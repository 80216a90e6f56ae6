#include "platform/player/player_audio.h"

#include "platform/player/speaker_output.h"
#include "swf/sound/silent_clock.h"

namespace velmora {

namespace {

// The output wants servicing at least every 20 ms.
constexpr int kServiceIntervalMs = 10;

}  // namespace

std::shared_ptr<PlayerAudio> PlayerAudio::shared() {
    // Not owned here: the players own it between them, so it closes with the last of them.
    static std::weak_ptr<PlayerAudio> current;
    std::shared_ptr<PlayerAudio> audio = current.lock();
    if (!audio) {
        audio.reset(new PlayerAudio());
        current = audio;
    }
    return audio;
}

PlayerAudio::PlayerAudio() {
    output_ = SpeakerOutput::open(mixer_);
    if (!output_) output_ = std::make_unique<swf::SilentClock>(mixer_);
    service_.setTimerType(Qt::PreciseTimer);
    connect(&service_, &QTimer::timeout, this, [this] { output_->service(); });
    service_.start(kServiceIntervalMs);
}

PlayerAudio::~PlayerAudio() {
    service_.stop();
    output_.reset();
}

}  // namespace velmora
