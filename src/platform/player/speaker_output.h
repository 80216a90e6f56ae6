#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/sound/audio_output.h"
#include "swf/sound/mixer.h"
#include "swf/sound/silent_clock.h"

class QAudioSink;
class QIODevice;

namespace velmora {

// The mix played on the system's default sound device through Qt Multimedia, from the audio
// thread. Keeps about a tenth of a second queued: enough to ride out a late wake-up of that
// thread, little enough that the picture, which follows what is heard, does not lag the sound
// noticeably.
class SpeakerOutput final : public swf::AudioOutput {
public:
    // Opens the default device. Returns nullptr when there is none or it refuses the format
    // (44100 Hz, 16-bit stereo); the caller then keeps time with a silent clock. mixer must
    // outlive the output. Call on the thread that will service it.
    static std::unique_ptr<SpeakerOutput> open(swf::Mixer& mixer);
    ~SpeakerOutput() override;

    void service() override;
    std::chrono::milliseconds period() const override { return std::chrono::milliseconds(20); }
    bool audible() const override;
    std::string description() const override { return description_; }

private:
    SpeakerOutput(swf::Mixer& mixer, std::unique_ptr<QAudioSink> sink, QIODevice* device, std::string description);

    swf::Mixer& mixer_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_;  // owned by the sink
    std::string description_;
    std::vector<int16_t> scratch_;
    // Takes over if the device fails while playing (unplugged, the sound server gone): the mix
    // goes on in real time unheard, so that timelines following their sound do not freeze.
    std::unique_ptr<swf::AudioOutput> fallback_;
};

}  // namespace velmora
