#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "swf/sound/channel_transform.h"
#include "swf/sound/spsc_ring.h"
#include "swf/sound/voice.h"

namespace velmora::swf {

// The one place where sounds meet: every voice of every movie is summed here, clipped to 16 bits,
// and handed to the output (a device, the silent clock, or a WAV file). One mixer serves both
// players. It also keeps the output clock: how many frames it has rendered, and how many of those
// the output still holds unheard, so that the channels can tell which sample is heard now.
//
// Two sides, each used by one thread at a time:
// - the control side (the thread that owns the movies) adds and stops voices and changes their
//   transforms. These calls only queue a command, without locks: they take effect at the start
//   of the next render(), in the order they were made.
// - the audio side (the output's thread) calls render(), decodeAhead() and setUnheardFrames().
// The clock (renderedFrames(), heardFrames(), voiceCount()) may be read from either side.
// Both sides may be the same thread, as in the probe and the tests.
class Mixer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    Mixer() = default;
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // A stopped voice fades out over this many frames (5 ms) instead of being cut off mid-wave,
    // which would click.
    static constexpr size_t kFadeOutFrames = 220;
    // Commands that may wait for the audio side. When it does not keep up (it has stopped), a
    // full queue waits a moment once, then drops commands rather than hang the caller.
    static constexpr size_t kCommandCapacity = 4096;

    // Control side. Voices are keyed by address; unknown ones are ignored.
    void add(std::shared_ptr<Voice> voice);
    // Stops voice at once.
    void remove(const Voice* voice);
    // Stops voice with a short fade.
    void fadeOut(const Voice* voice);
    // Volume, pan or a full 2x2 mix of the voice's sides from its next rendered frame on.
    void setTransform(const Voice* voice, const ChannelTransform& transform);
    // Voices playing (fading ones included) or queued to play.
    size_t voiceCount() const;
    // Hands the voices the mixer has let go since the last call back to the control side, calls
    // their whenEnded, and drops the mixer's reference there, so that what a voice holds (its
    // decoder, the movie data it keeps alive) is freed on the control side, not the audio thread.
    // Returns how many there were.
    size_t collectEnded();
    // Called on the audio thread, at most once between two collectEnded() calls, when a voice has
    // ended: the control side should collect soon. Set before the audio side starts.
    void setEndedNotifier(std::function<void()> notify) { endedNotifier_ = std::move(notify); }
    // Called on the control side after a command is queued while the audio side sleeps (see
    // sleepUnlessBusy()): it should wake the audio thread. Set before the audio side starts.
    void setWakeNotifier(std::function<void()> notify) { wakeNotifier_ = std::move(notify); }
    // Commands dropped because the queue was full.
    uint64_t droppedCommands() const { return dropped_.load(std::memory_order_relaxed); }

    // Audio side. Renders the next `frames` frames (interleaved stereo) into out; silence when
    // nothing plays. Queued commands are carried out first. Voices that run out are let go.
    void render(int16_t* out, size_t frames);
    // Lets every voice decode until `frames` output frames lie ready (see Voice::decodeAhead).
    void decodeAhead(size_t frames);
    // True when nothing plays and no command waits: the output may sleep until woken.
    bool idle() const;
    // When idle, asks the control side to call the wake notifier with its next command and
    // returns true: the audio thread may sleep. False (and no request) when there is work.
    bool sleepUnlessBusy();

    // Set by the output after each render: frames rendered but not yet heard (in its buffers).
    // With `at`, the output plays in real time: the count was true at that moment, and a reader
    // later on counts the time since as heard (up to what was rendered), so that the clock moves
    // smoothly between the output's wake-ups. Without it the clock moves only by render().
    void setUnheardFrames(int64_t frames, std::optional<TimePoint> at = std::nullopt);

    // Either side. Frames rendered since the mixer was made.
    int64_t renderedFrames() const { return rendered_.load(std::memory_order_acquire); }
    // Frames rendered but not yet heard, as the output last said.
    int64_t unheardFrames() const;
    // Frames heard by now: rendered less unheard, moved on by the time passed since the output
    // last said so when it plays in real time.
    int64_t heardFrames() const;

private:
    enum class CommandKind : uint8_t { Add, Remove, FadeOut, Transform };
    struct Command {
        CommandKind kind = CommandKind::Add;
        std::shared_ptr<Voice> voice;     // Add
        const Voice* target = nullptr;    // the others
        ChannelTransform transform;
    };
    struct Playing {
        std::shared_ptr<Voice> voice;
        ChannelTransform transform;
        bool fading = false;
        size_t fadeLeft = 0;  // frames of the fade still to play
    };
    struct Ended {
        std::shared_ptr<Voice> voice;
        bool ranOut = false;
    };
    struct ClockReading {
        int64_t rendered = 0;
        int64_t unheard = 0;
        int64_t stampNs = 0;  // 0: no real-time stamp
    };

    void send(Command command);
    void runCommands();
    void let(Playing& playing, bool ranOut);
    // Mixes one voice's next `frames` frames onto sum_; returns whether it goes on.
    bool mixOne(Playing& playing, size_t frames);
    void publish(int64_t rendered, int64_t unheard, int64_t stampNs);
    ClockReading readClock() const;

    // Control side.
    bool waitedWhenFull_ = false;
    std::atomic<uint64_t> dropped_{0};
    std::atomic<int64_t> queuedAdds_{0};

    SpscRing<Command, kCommandCapacity> commands_;
    SpscRing<Ended, 1024> ended_;
    std::atomic<bool> endedNotified_{false};
    std::function<void()> endedNotifier_;
    std::function<void()> wakeNotifier_;
    std::atomic<bool> wakeWanted_{false};

    // Audio side.
    std::vector<Playing> playing_;
    std::vector<int32_t> sum_;
    std::vector<int32_t> scratch_;
    std::atomic<size_t> playingCount_{0};

    // The clock, written by the audio side only, read by both under a sequence count.
    std::atomic<uint64_t> sequence_{0};
    std::atomic<int64_t> rendered_{0};
    std::atomic<int64_t> unheard_{0};
    std::atomic<int64_t> stampNs_{0};
};

}  // namespace velmora::swf
