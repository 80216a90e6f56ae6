#include "swf/sound/mixer.h"

#include <algorithm>
#include <thread>

#include "swf/sound/output_format.h"

namespace velmora::swf {

namespace {

int64_t nanoseconds(Mixer::TimePoint at) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

}  // namespace

Mixer::~Mixer() {
    // Nothing plays any more: whatever is queued or playing is dropped here, on the owner's thread.
    while (commands_.pop()) {
    }
    while (ended_.pop()) {
    }
}

void Mixer::send(Command command) {
    const bool add = command.kind == CommandKind::Add;
    if (add) queuedAdds_.fetch_add(1, std::memory_order_acq_rel);
    if (commands_.push(std::move(command))) {
        waitedWhenFull_ = false;
        // Paired with the fence in sleepUnlessBusy(): either the audio side sees this command
        // before it sleeps, or this side sees that it asked to be woken.
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (wakeWanted_.exchange(false, std::memory_order_acq_rel) && wakeNotifier_) wakeNotifier_();
        return;
    }
    if (!waitedWhenFull_) {
        // A burst of commands (a script starting sounds in a loop): give the audio thread a moment.
        waitedWhenFull_ = true;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        while (std::chrono::steady_clock::now() < until) {
            std::this_thread::yield();
            if (commands_.push(std::move(command))) {
                waitedWhenFull_ = false;
                return;
            }
        }
    }
    // The audio side is not draining (it stopped, or the caller renders itself and has not).
    // A voice that will never play says so, so that nothing waits on its clock.
    if (add) {
        queuedAdds_.fetch_sub(1, std::memory_order_acq_rel);
        command.voice->ended_.store(true, std::memory_order_release);
    }
    dropped_.fetch_add(1, std::memory_order_relaxed);
}

void Mixer::add(std::shared_ptr<Voice> voice) {
    if (voice) send({CommandKind::Add, std::move(voice), nullptr, {}});
}

void Mixer::remove(const Voice* voice) { send({CommandKind::Remove, nullptr, voice, {}}); }

void Mixer::fadeOut(const Voice* voice) { send({CommandKind::FadeOut, nullptr, voice, {}}); }

void Mixer::setTransform(const Voice* voice, const ChannelTransform& transform) {
    send({CommandKind::Transform, nullptr, voice, transform});
}

size_t Mixer::voiceCount() const {
    return playingCount_.load(std::memory_order_acquire) + size_t(std::max<int64_t>(0, queuedAdds_.load(std::memory_order_acquire)));
}

size_t Mixer::collectEnded() {
    endedNotified_.store(false, std::memory_order_release);
    size_t count = 0;
    while (auto ended = ended_.pop()) {
        ++count;
        if (ended->voice->whenEnded) ended->voice->whenEnded(ended->ranOut);
    }
    return count;
}

void Mixer::let(Playing& playing, bool ranOut) {
    playing.voice->ended_.store(true, std::memory_order_release);
    // When the control side does not collect, the voice is freed here instead.
    if (ended_.push({std::move(playing.voice), ranOut}) && endedNotifier_ &&
        !endedNotified_.exchange(true, std::memory_order_acq_rel)) {
        endedNotifier_();
    }
    playing.voice.reset();
}

void Mixer::runCommands() {
    while (auto command = commands_.pop()) {
        const auto find = [&](const Voice* v) {
            return std::find_if(playing_.begin(), playing_.end(), [v](const Playing& p) { return p.voice.get() == v; });
        };
        switch (command->kind) {
            case CommandKind::Add:
                command->voice->startedAt_.store(rendered_.load(std::memory_order_relaxed), std::memory_order_release);
                playing_.push_back({std::move(command->voice), {}, false, 0});
                queuedAdds_.fetch_sub(1, std::memory_order_acq_rel);
                break;
            case CommandKind::Remove:
                if (auto it = find(command->target); it != playing_.end()) {
                    let(*it, false);
                    playing_.erase(it);
                }
                break;
            case CommandKind::FadeOut:
                if (auto it = find(command->target); it != playing_.end() && !it->fading) {
                    it->fading = true;
                    it->fadeLeft = kFadeOutFrames;
                }
                break;
            case CommandKind::Transform:
                if (auto it = find(command->target); it != playing_.end()) it->transform = command->transform;
                break;
        }
    }
    playingCount_.store(playing_.size(), std::memory_order_release);
}

bool Mixer::mixOne(Playing& playing, size_t frames) {
    const size_t n = playing.fading ? std::min(frames, playing.fadeLeft) : frames;
    if (!playing.fading && playing.transform.identity()) return playing.voice->mixInto(sum_.data(), n);
    scratch_.assign(n * kOutputChannels, 0);
    const bool more = playing.voice->mixInto(scratch_.data(), n);
    const ChannelTransform& t = playing.transform;
    for (size_t i = 0; i < n; ++i) {
        const double gain = playing.fading ? double(playing.fadeLeft - i) / double(kFadeOutFrames + 1) : 1.0;
        const float l = float(scratch_[2 * i]);
        const float r = float(scratch_[2 * i + 1]);
        sum_[2 * i] += int32_t((l * t.leftToLeft + r * t.rightToLeft) * gain);
        sum_[2 * i + 1] += int32_t((l * t.leftToRight + r * t.rightToRight) * gain);
    }
    if (!playing.fading) return more;
    playing.fadeLeft -= n;
    return more && playing.fadeLeft > 0;
}

void Mixer::render(int16_t* out, size_t frames) {
    runCommands();
    constexpr size_t kSlice = 4096;
    const ClockReading clock = readClock();
    int64_t rendered = clock.rendered;
    while (frames > 0) {
        const size_t n = std::min(frames, kSlice);
        sum_.assign(n * kOutputChannels, 0);
        // Several voices add up past 16 bits; 32-bit sums are clipped once, at the end.
        for (size_t i = 0; i < playing_.size();) {
            if (mixOne(playing_[i], n)) {
                ++i;
            } else {
                // A fade that ends is a stop; a voice that runs out by itself has completed.
                let(playing_[i], !playing_[i].fading);
                playing_.erase(playing_.begin() + ptrdiff_t(i));
            }
        }
        for (size_t i = 0; i < sum_.size(); ++i) out[i] = int16_t(std::clamp<int32_t>(sum_[i], -32768, 32767));
        out += n * kOutputChannels;
        frames -= n;
        rendered += int64_t(n);
    }
    // For an output that plays in real time, what was just rendered is not heard yet: the clock
    // stands until the output says how much of it the device holds.
    const int64_t unheard = clock.stampNs != 0 ? clock.unheard + (rendered - clock.rendered) : clock.unheard;
    publish(rendered, unheard, clock.stampNs);
    playingCount_.store(playing_.size(), std::memory_order_release);
}

void Mixer::decodeAhead(size_t frames) {
    runCommands();
    for (Playing& p : playing_) p.voice->decodeAhead(frames);
}

bool Mixer::idle() const { return playing_.empty() && commands_.empty(); }

bool Mixer::sleepUnlessBusy() {
    if (!playing_.empty()) return false;
    wakeWanted_.store(true, std::memory_order_seq_cst);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (commands_.empty()) return true;
    wakeWanted_.store(false, std::memory_order_relaxed);
    return false;
}

void Mixer::setUnheardFrames(int64_t frames, std::optional<TimePoint> at) {
    publish(rendered_.load(std::memory_order_relaxed), frames < 0 ? 0 : frames, at ? std::max<int64_t>(1, nanoseconds(*at)) : 0);
}

void Mixer::publish(int64_t rendered, int64_t unheard, int64_t stampNs) {
    // A sequence count around the three values: odd while they change, so that a reader on
    // another thread retries rather than mix old and new.
    const uint64_t s = sequence_.load(std::memory_order_relaxed);
    sequence_.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    rendered_.store(rendered, std::memory_order_relaxed);
    unheard_.store(unheard, std::memory_order_relaxed);
    stampNs_.store(stampNs, std::memory_order_relaxed);
    sequence_.store(s + 2, std::memory_order_release);
}

Mixer::ClockReading Mixer::readClock() const {
    ClockReading r;
    for (;;) {
        const uint64_t before = sequence_.load(std::memory_order_acquire);
        r.rendered = rendered_.load(std::memory_order_relaxed);
        r.unheard = unheard_.load(std::memory_order_relaxed);
        r.stampNs = stampNs_.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if ((before & 1) == 0 && sequence_.load(std::memory_order_relaxed) == before) return r;
        std::this_thread::yield();
    }
}

int64_t Mixer::unheardFrames() const { return readClock().unheard; }

int64_t Mixer::heardFrames() const {
    const ClockReading r = readClock();
    int64_t heard = r.rendered - r.unheard;
    if (r.stampNs != 0 && r.unheard > 0) {
        // Capped well before the product could overflow; the unheard count caps it far sooner.
        const int64_t since = std::min<int64_t>(nanoseconds(std::chrono::steady_clock::now()) - r.stampNs, 1000000000000);
        if (since > 0) heard += std::min(r.unheard, since * kOutputRate / 1000000000);
    }
    return heard;
}

}  // namespace velmora::swf
