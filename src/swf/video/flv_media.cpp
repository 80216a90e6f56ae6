#include "swf/video/flv_media.h"

#include <algorithm>
#include <cmath>

#include "swf/sound/event_sound.h"
#include "swf/sound/mixer.h"
#include "swf/sound/output_format.h"
#include "swf/video/flv_file.h"
#include "swf/video/flv_sound.h"
#include "swf/video/media_file.h"
#include "swf/video/video_decoder.h"
#include "swf/video/video_limits.h"

namespace velmora::swf {

namespace {

class FlvMedia final : public StreamMedia {
public:
    FlvMedia(FlvFile file, Mixer* mixer) : file_(std::move(file)), mixer_(mixer) {}
    ~FlvMedia() override { stopSound(); }

    const Info& info() const override { return file_.info; }
    int pictureWidth() const override { return picture_.width(); }
    int pictureHeight() const override { return picture_.height(); }
    uint64_t pictureSerial() const override { return serial_; }
    const QImage* picture() const { return picture_.isNull() ? nullptr : &picture_; }

    void showAt(double seconds) override {
        const auto& pictures = file_.pictures;
        if (pictures.empty() || unusable_) return;
        if (!decoder_ && !openDecoder()) return;
        if (file_.stream.codec == VideoStreamCharacter::Codec::H264) return showReorderedAt(seconds);
        // The last picture due by then (the clock adds up frame times, so a hair's breadth early
        // still counts). Before the first one is due, as when the encoder delayed the pictures to
        // meet the sound's start, the first is shown rather than nothing.
        const auto due = std::upper_bound(pictures.begin(), pictures.end(), seconds + 1e-6,
                                          [](double t, const FlvPicture& p) { return t < p.time; });
        const int target = std::max(0, int(due - pictures.begin()) - 1);
        if (target == shown_) return;
        // Go on from where the decoder stands when no keyframe lies between; else start over at
        // the last keyframe before the target.
        int keyframe = target;
        while (keyframe > 0 && !pictures[size_t(keyframe)].keyframe) --keyframe;
        int start = next_;
        if (next_ <= keyframe || next_ > target) {
            decoder_->reset();
            start = keyframe;
        }
        const int end = std::min(target, start + VideoLimits::kMaxDecodesPerDraw - 1);
        for (int i = start; i <= end; ++i) {
            const FlvPicture& p = pictures[size_t(i)];
            VideoDecoder::Result result = decoder_->decode(p.data, p.keyframe);
            next_ = i + 1;
            if (!result.ok()) continue;  // the last good picture stays
            // Only the target is shown; those before it only feed the decoder's references.
            if (i == end) {
                show(std::move(result.image));
            }
        }
        shown_ = end;
    }

    void playSound(double seconds) override {
        stopSound();
        if (!mixer_) return;
        if (file_.soundTrack) {
            const double from = std::clamp(seconds, 0.0, FlvLimits::kMaxDuration);
            auto voice = std::make_shared<FlvSound>(file_.soundTrack, from);
            if (voice->finished()) return;
            trackVoice_ = voice;
            soundFrom_ = from;
            mixer_->add(std::move(voice));
            if (!transform_.identity()) mixer_->setTransform(trackVoice_.get(), transform_);
            return;
        }
        if (!file_.sound) return;
        SoundInfo info;
        const double offset = std::clamp(seconds - file_.soundStart, 0.0, FlvLimits::kMaxDuration);
        info.inPoint = uint32_t(std::llround(offset * kOutputRate));
        auto voice = std::make_shared<EventSound>(file_.sound, info);
        if (voice->finished()) return;
        voice_ = voice;
        soundFrom_ = file_.soundStart + offset;
        mixer_->add(std::move(voice));
        if (!transform_.identity()) mixer_->setTransform(voice_.get(), transform_);
    }

    void setSoundTransform(const ChannelTransform& transform) override {
        transform_ = transform;
        if (!mixer_) return;
        if (voice_) mixer_->setTransform(voice_.get(), transform);
        if (trackVoice_) mixer_->setTransform(trackVoice_.get(), transform);
    }

    void stopSound() override {
        if (voice_ && mixer_) mixer_->fadeOut(voice_.get());
        if (trackVoice_ && mixer_) mixer_->fadeOut(trackVoice_.get());
        voice_.reset();
        trackVoice_.reset();
    }

    std::optional<double> soundTime() const override {
        if (trackVoice_) {
            if (trackVoice_->finished() || trackVoice_->ended() || trackVoice_->startedAt() < 0) return std::nullopt;
            const int64_t backlog = std::max<int64_t>(0, mixer_->renderedFrames() - mixer_->heardFrames());
            const int64_t heard = std::max<int64_t>(0, trackVoice_->renderPosition() - backlog);
            return soundFrom_ + double(heard) / kOutputRate;
        }
        if (!voice_ || voice_->finished() || voice_->ended() || voice_->startedAt() < 0) return std::nullopt;
        // What the mixer rendered of the voice, less what the output still holds unheard.
        const int64_t backlog = std::max<int64_t>(0, mixer_->renderedFrames() - mixer_->heardFrames());
        const int64_t heard = std::max<int64_t>(0, voice_->renderPosition() - backlog);
        return std::max(soundFrom_, file_.soundStart + double(heard) / kOutputRate);
    }

private:
    bool openDecoder() {
        std::string error;
        decoder_ = VideoDecoder::open(file_.stream, error, file_.pictureConfig);
        if (decoder_) return true;
        unusable_ = true;
        file_.info.problem += (file_.info.problem.empty() ? "" : "; ") + std::string("its pictures are not shown: ") + error;
        return false;
    }

    void show(QImage image) {
        picture_ = std::move(image);
        ++serial_;
        if (file_.info.width <= 0 || file_.info.height <= 0) {
            file_.info.width = picture_.width();
            file_.info.height = picture_.height();
            file_.info.metadata.try_emplace("width", file_.info.width);
            file_.info.metadata.try_emplace("height", file_.info.height);
        }
    }

    // H.264 with B-frames: pictures are coded in another order than they are shown, and the
    // decoder gives each some packets later. The picture due is the latest shown by then; the
    // packets are fed in file order (from the keyframe before it, or on from where the decoder
    // stands) until it comes out.
    void showReorderedAt(double seconds) {
        const auto& pictures = file_.pictures;
        if (byTime_.empty()) {
            byTime_.resize(pictures.size());
            for (size_t i = 0; i < pictures.size(); ++i) byTime_[i] = int(i);
            std::stable_sort(byTime_.begin(), byTime_.end(),
                             [&](int a, int b) { return pictures[size_t(a)].time < pictures[size_t(b)].time; });
        }
        const auto due = std::upper_bound(byTime_.begin(), byTime_.end(), seconds + 1e-6,
                                          [&](double t, int i) { return t < pictures[size_t(i)].time; });
        const int target = due == byTime_.begin() ? byTime_.front() : *(due - 1);
        if (target == shown_) return;
        const double targetTime = pictures[size_t(target)].time;
        int keyframe = target;
        while (keyframe > 0 && !pictures[size_t(keyframe)].keyframe) --keyframe;
        // Going on is possible when the decoder stands past the keyframe and has not given a
        // picture later than the target (once sent the end, it still gives what it held back).
        const bool goOn = next_ > keyframe && (lastOut_ < 0 || pictures[size_t(lastOut_)].time < targetTime);
        if (!goOn) {
            decoder_->reset();
            next_ = keyframe;
            lastOut_ = -1;
            ended_ = false;
        }
        bool found = false;
        bool kept = false;
        for (int sent = 0;;) {
            if (auto out = decoder_->receive()) {
                if (out->stamp < 0 || out->stamp >= int64_t(pictures.size())) continue;
                const int index = int(out->stamp);
                const double time = pictures[size_t(index)].time;
                if (time > targetTime + 1e-9) {
                    // Past the target (which the decoder dropped as damaged): the one kept stands.
                    lastOut_ = index;
                    break;
                }
                lastOut_ = index;
                if (!out->damaged) {
                    decoder_->keep();
                    kept = true;
                }
                if (index == target) {
                    found = true;
                    break;
                }
                continue;
            }
            if (ended_) break;
            if (next_ >= int(pictures.size())) {
                decoder_->sendEnd();
                ended_ = true;
                continue;
            }
            // A bounded amount of decoding per call, as for the other codecs.
            if (sent++ >= VideoLimits::kMaxDecodesPerDraw) break;
            const FlvPicture& p = pictures[size_t(next_)];
            decoder_->send(p.data, p.keyframe, next_, next_ == keyframe ? configAt(keyframe) : p.config);
            ++next_;
        }
        if (kept) {
            VideoDecoder::Result result = decoder_->picture();
            if (result.ok()) show(std::move(result.image));
        }
        if (found || ended_) shown_ = target;
    }

    // The configuration that holds at picture index, for decoding from there after a reset;
    // empty when the file never changes the one the decoder opened with.
    std::span<const uint8_t> configAt(int index) {
        if (!newConfigs_) {
            newConfigs_ = std::any_of(file_.pictures.begin(), file_.pictures.end(),
                                      [](const FlvPicture& p) { return !p.config.empty(); });
        }
        if (!*newConfigs_) return {};
        for (int i = index; i >= 0; --i) {
            if (!file_.pictures[size_t(i)].config.empty()) return file_.pictures[size_t(i)].config;
        }
        // Before the first change: the decoder must forget the later ones it has seen.
        return file_.pictureConfig;
    }

    FlvFile file_;
    Mixer* const mixer_;
    std::unique_ptr<VideoDecoder> decoder_;
    bool unusable_ = false;
    int next_ = 0;     // the picture the decoder expects next
    int shown_ = -1;   // the picture shown
    QImage picture_;
    uint64_t serial_ = 0;
    std::shared_ptr<EventSound> voice_;
    std::shared_ptr<FlvSound> trackVoice_;
    double soundFrom_ = 0;
    ChannelTransform transform_;  // what the stream's clip's sound settings make of the sound
    // H.264: the pictures in the order they are shown, the last one out of the decoder, and
    // whether the decoder was sent the end of the stream.
    std::vector<int> byTime_;
    int lastOut_ = -1;
    bool ended_ = false;
    std::optional<bool> newConfigs_;  // whether the file sends its configuration again
};

}  // namespace

std::unique_ptr<StreamMedia> FlvMediaOpener::openFlv(std::vector<uint8_t> bytes, std::string& error) {
    auto read = readMediaFile(bytes);
    if (auto* why = std::get_if<std::string>(&read)) {
        error = *why;
        return nullptr;
    }
    auto media = std::make_unique<FlvMedia>(std::move(std::get<FlvFile>(read)), mixer_);
    // The first picture gives the size when the file does not say it.
    media->showAt(0);
    return media;
}

const QImage* flvPicture(const StreamMedia& media) {
    const auto* flv = dynamic_cast<const FlvMedia*>(&media);
    return flv ? flv->picture() : nullptr;
}

}  // namespace velmora::swf
