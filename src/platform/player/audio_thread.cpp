#include "platform/player/audio_thread.h"

#include <QMetaObject>
#include <QTimer>

#include "swf/sound/silent_clock.h"

namespace velmora {

// Lives on the audio thread: its timer drives the output.
class AudioThread::Worker final : public QObject {
public:
    Worker(swf::Mixer& mixer, std::unique_ptr<swf::AudioOutput> output) : mixer_(mixer), output_(std::move(output)) {
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] { service(); });
        timer_.start(output_->period());
        service();
    }

    const swf::AudioOutput& output() const { return *output_; }

    void wake() {
        if (!asleep_) return;
        asleep_ = false;
        output_->resume();
        timer_.start(output_->period());
        service();
    }

private:
    void service() {
        output_->service();
        mixer_.decodeAhead(kDecodeAheadFrames);
        if (output_->sleepsWhenIdle() && mixer_.sleepUnlessBusy()) {
            asleep_ = true;
            timer_.stop();
        }
    }

    swf::Mixer& mixer_;
    std::unique_ptr<swf::AudioOutput> output_;
    QTimer timer_;
    bool asleep_ = false;
};

AudioThread::AudioThread(swf::Mixer& mixer, OutputFactory factory) : mixer_(mixer), factory_(std::move(factory)) {
    setObjectName("velmora audio");
    mixer_.setWakeNotifier([this] { wake(); });
    start(QThread::TimeCriticalPriority);
    ready_.acquire();
}

AudioThread::~AudioThread() {
    quit();
    wait();
    mixer_.setWakeNotifier({});
}

void AudioThread::wake() {
    if (Worker* worker = worker_.load(std::memory_order_acquire)) {
        QMetaObject::invokeMethod(worker, [worker] { worker->wake(); }, Qt::QueuedConnection);
    }
}

void AudioThread::run() {
    {
        std::unique_ptr<swf::AudioOutput> output = factory_ ? factory_(mixer_) : nullptr;
        if (!output) {
            output = std::make_unique<swf::SilentClock>(mixer_, swf::SilentClock::TimeSource{}, "no sound device",
                                                        swf::SilentClock::kPlayerLeadSeconds);
        }
        Worker worker(mixer_, std::move(output));
        audible_ = worker.output().audible();
        description_ = worker.output().description();
        worker_.store(&worker, std::memory_order_release);
        ready_.release();
        exec();
        worker_.store(nullptr, std::memory_order_release);
    }
}

}  // namespace velmora
