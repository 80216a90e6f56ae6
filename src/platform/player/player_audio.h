#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "swf/sound/audio_output.h"
#include "swf/sound/mixer.h"

namespace velmora {

// The sound both players share: one mixer, one output (the speakers, or a silent clock on a
// machine without a sound device, so that movies keep time either way), and the timer that keeps
// the output fed. Exists while some player holds it; the last one to let go closes the device.
class PlayerAudio : public QObject {
    Q_OBJECT
public:
    // The audio of this process, opened on first use.
    static std::shared_ptr<PlayerAudio> shared();
    ~PlayerAudio() override;

    swf::Mixer& mixer() { return mixer_; }
    const swf::AudioOutput& output() const { return *output_; }

private:
    PlayerAudio();

    swf::Mixer mixer_;
    std::unique_ptr<swf::AudioOutput> output_;
    QTimer service_;
};

}  // namespace velmora
