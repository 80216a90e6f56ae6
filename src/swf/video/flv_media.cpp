#include "swf/video/flv_media.h"

#include <algorithm>
#include <cmath>

#include "swf/sound/event_sound.h"
#include "swf/sound/mixer.h"
#include "swf/sound/output_format.h"
#include "swf/video/flv_file.h"
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
        // The last picture due by then (the clock adds up frame times, so a hair's breadth early
        // still counts). Before the first one is due, as when the encoder delayed the pictures to
        // meet the sound's start, the first is shown rather than nothing.
        const auto due = std::upper_bound(pictures.begin(), pictures.end(), seconds + 1e-6,
                                          [](double t, const FlvPicture& p) { return t < p.time; });
        const int target = std::max(0, int(due - pictures.begin()) - 1);
        if (target == shown_) return;
        if (!decoder_) {
            std::string error;
            decoder_ = VideoDecoder::open(file_.stream, error);
            if (!decoder_) {
                unusable_ = true;
                file_.info.problem += (file_.info.problem.empty() ? "" : "; ") + std::string("its pictures are not shown: ") + error;
                return;
            }
        }
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
                picture_ = std::move(result.image);
                ++serial_;
                if (file_.info.width <= 0 || file_.info.height <= 0) {
                    file_.info.width = picture_.width();
                    file_.info.height = picture_.height();
                    file_.info.metadata.try_emplace("width", file_.info.width);
                    file_.info.metadata.try_emplace("height", file_.info.height);
                }
            }
        }
        shown_ = end;
    }

    void playSound(double seconds) override {
        stopSound();
        if (!mixer_ || !file_.sound) return;
        SoundInfo info;
        const double offset = std::clamp(seconds - file_.soundStart, 0.0, FlvLimits::kMaxDuration);
        info.inPoint = uint32_t(std::llround(offset * kOutputRate));
        auto voice = std::make_shared<EventSound>(file_.sound, info);
        if (voice->finished()) return;
        voice_ = voice;
        soundFrom_ = file_.soundStart + offset;
        mixer_->add(std::move(voice));
    }

    void stopSound() override {
        if (voice_ && mixer_) mixer_->fadeOut(voice_.get());
        voice_.reset();
    }

    std::optional<double> soundTime() const override {
        if (!voice_ || voice_->finished() || voice_->ended() || voice_->startedAt() < 0) return std::nullopt;
        // What the mixer rendered of the voice, less what the output still holds unheard.
        const int64_t backlog = std::max<int64_t>(0, mixer_->renderedFrames() - mixer_->heardFrames());
        const int64_t heard = std::max<int64_t>(0, voice_->renderPosition() - backlog);
        return std::max(soundFrom_, file_.soundStart + double(heard) / kOutputRate);
    }

private:
    FlvFile file_;
    Mixer* const mixer_;
    std::unique_ptr<VideoDecoder> decoder_;
    bool unusable_ = false;
    int next_ = 0;     // the picture the decoder expects next
    int shown_ = -1;   // the picture shown
    QImage picture_;
    uint64_t serial_ = 0;
    std::shared_ptr<EventSound> voice_;
    double soundFrom_ = 0;
};

}  // namespace

std::unique_ptr<StreamMedia> FlvMediaOpener::openFlv(std::vector<uint8_t> bytes, std::string& error) {
    auto read = readFlvFile(bytes);
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
