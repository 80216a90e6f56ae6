#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "swf/sound/audio_output.h"
#include "swf/sound/mixer.h"

namespace velmora {

class AudioThread;

// The sound both players share: one mixer, one output (the speakers, or a silent clock on a
// machine without a sound device, so that movies keep time either way), and the audio thread
// that keeps the output fed. The window thread only queues commands on the mixer and reads its
// clock, so a window that stalls (a big movie loading, a heavy frame, scripts) is not heard.
// Exists while some player holds it; the last one to let go closes the device.
class PlayerAudio : public QObject {
    Q_OBJECT
public:
    // Makes the output on the audio thread, which owns it. Returns nullptr when there is no such
    // output (no device).
    using OutputFactory = std::function<std::unique_ptr<swf::AudioOutput>(swf::Mixer&)>;

    // The audio of this process, opened on first use: the default sound device, or a silent
    // clock when there is none.
    static std::shared_ptr<PlayerAudio> shared();
    // An audio of its own with the output the factory makes (a silent clock when it makes none):
    // for tests, which listen to a virtual device. Call on the window thread.
    static std::shared_ptr<PlayerAudio> open(OutputFactory factory);
    ~PlayerAudio() override;

    swf::Mixer& mixer() { return mixer_; }
    // Whether sound really comes out, and what the output is.
    bool audible() const { return audible_; }
    const std::string& description() const { return description_; }

private:
    explicit PlayerAudio(OutputFactory factory);

    swf::Mixer mixer_;
    std::unique_ptr<AudioThread> thread_;
    bool audible_ = false;
    std::string description_;
};

}  // namespace velmora
