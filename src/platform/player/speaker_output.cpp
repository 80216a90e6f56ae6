#include "platform/player/speaker_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include "swf/sound/output_format.h"

namespace velmora {

namespace {

constexpr int kBytesPerFrame = 2 * swf::kOutputChannels;
constexpr double kQueuedSeconds = 0.1;

}  // namespace

std::unique_ptr<SpeakerOutput> SpeakerOutput::open(swf::Mixer& mixer) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return nullptr;
    QAudioFormat format;
    format.setSampleRate(swf::kOutputRate);
    format.setChannelCount(swf::kOutputChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) return nullptr;
    auto sink = std::make_unique<QAudioSink>(device, format);
    sink->setBufferSize(static_cast<qsizetype>(swf::kOutputRate * kQueuedSeconds) * kBytesPerFrame);
    QIODevice* io = sink->start();
    if (!io || sink->error() != QAudio::NoError) return nullptr;
    return std::unique_ptr<SpeakerOutput>(
        new SpeakerOutput(mixer, std::move(sink), io, device.description().toStdString()));
}

SpeakerOutput::SpeakerOutput(swf::Mixer& mixer, std::unique_ptr<QAudioSink> sink, QIODevice* device,
                             std::string description)
    : mixer_(mixer), sink_(std::move(sink)), device_(device), description_(std::move(description)) {}

SpeakerOutput::~SpeakerOutput() {
    if (sink_) sink_->stop();
}

namespace {

// An underrun only means the device waited for us; these mean it will not play again.
bool deviceFailed(QAudio::Error error) {
    return error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError;
}

}  // namespace

void SpeakerOutput::service() {
    if (!fallback_ && deviceFailed(sink_->error())) {
        fallback_ = std::make_unique<swf::SilentClock>(mixer_, swf::SilentClock::TimeSource{}, "the sound device failed",
                                                       swf::SilentClock::kPlayerLeadSeconds);
        mixer_.setUnheardFrames(0);
        description_ = fallback_->description();
    }
    if (fallback_) {
        fallback_->service();
        return;
    }
    const qsizetype free = sink_->bytesFree();
    const size_t frames = free > 0 ? static_cast<size_t>(free / kBytesPerFrame) : 0;
    if (frames > 0) {
        scratch_.resize(frames * swf::kOutputChannels);
        mixer_.render(scratch_.data(), frames);
        device_->write(reinterpret_cast<const char*>(scratch_.data()), static_cast<qint64>(frames) * kBytesPerFrame);
    }
    const qsizetype queued = sink_->bufferSize() - sink_->bytesFree();
    mixer_.setUnheardFrames(queued > 0 ? queued / kBytesPerFrame : 0, std::chrono::steady_clock::now());
}

bool SpeakerOutput::audible() const { return !fallback_; }

}  // namespace velmora
