#pragma once

#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "swf/sound/audio_output.h"
#include "swf/sound/mixer.h"

namespace velmora {

// The thread that feeds the output: every period it services the output (which renders the mix)
// and lets the voices decode about a second ahead, so that neither decoding nor mixing ever waits
// for the window. While nothing plays, an output that allows it is not serviced at all: the
// thread sleeps in its event loop until the mixer's next command wakes it.
//
// The output is made, used and destroyed on this thread. The mixer must outlive the thread.
class AudioThread final : public QThread {
    Q_OBJECT
public:
    using OutputFactory = std::function<std::unique_ptr<swf::AudioOutput>(swf::Mixer&)>;

    // How far each voice decodes ahead of what is mixed.
    static constexpr size_t kDecodeAheadFrames = 44100;

    // Starts the thread and returns once the output is open. factory may return nullptr; a silent
    // clock is used then.
    AudioThread(swf::Mixer& mixer, OutputFactory factory);
    // Stops the thread; the output is closed on it.
    ~AudioThread() override;

    bool audible() const { return audible_; }
    const std::string& description() const { return description_; }
    // Wakes the thread if it sleeps. Any thread.
    void wake();

protected:
    void run() override;

private:
    class Worker;

    swf::Mixer& mixer_;
    OutputFactory factory_;
    QSemaphore ready_;
    std::atomic<Worker*> worker_{nullptr};
    bool audible_ = false;
    std::string description_;
};

}  // namespace velmora
