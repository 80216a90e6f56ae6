// The players' sound on its own thread: what reaches the (virtual) device while the window thread
// is busy elsewhere.
#include <QThread>
#include <gtest/gtest.h>

#include <mutex>

#include "platform/player/player_audio.h"
#include "platform/player/swf_player_widget.h"
#include "player_test_support.h"
#include "support/qt_application.h"
#include "swf/sound/silent_clock.h"

namespace velmora::test {
namespace {

// What a player sends to the device, recorded on the audio thread.
struct Recording {
    std::mutex mutex;
    std::vector<int16_t> samples;

    std::shared_ptr<PlayerAudio> audio() {
        return PlayerAudio::open([this](swf::Mixer& mixer) {
            // A device with a quarter of a second of buffer, which runs dry when not fed in time.
            auto device = std::make_unique<swf::SilentClock>(mixer, swf::SilentClock::TimeSource{}, "virtual device", 0.25);
            device->setTap([this](const int16_t* s, size_t frames) {
                std::lock_guard lock(mutex);
                samples.insert(samples.end(), s, s + frames * 2);
            });
            return device;
        });
    }
};

// Five seconds of a steady level as a 12 fps PCM stream: any silent sample while it plays is a gap.
SwfWriter steadyStream(int16_t level) {
    SwfWriter swf;
    swf.frameRate(12);
    swf.soundStreamHead2({.format = 3, .rateCode = 3, .is16Bit = true, .stereo = false}, 3675);
    std::vector<uint8_t> block;
    for (int i = 0; i < 3675; ++i) block.push_back(uint8_t(level & 0xff)), block.push_back(uint8_t(level >> 8));
    for (int f = 0; f < 60; ++f) swf.soundStreamBlock(block).showFrame();
    return swf;
}

TEST(PlayerAudio, AWindowStalledForASecondLeavesNoGapInTheSound) {
    Recording device;
    MovieFolder folder;
    {
        SwfPlayerWidget player;
        player.useAudio(device.audio());
        player.putMovie(folder.write("steady.swf", steadyStream(1000)));
        processEventsFor(300);
        QThread::msleep(1000);  // the window thread is busy: a big movie loading, a heavy frame
        processEventsFor(300);
        EXPECT_GT(player.FrameNum(), 12);  // and the picture caught up with the sound after it
    }
    std::lock_guard lock(device.mutex);
    const auto& s = device.samples;
    size_t first = 0;
    while (first < s.size() && s[first] == 0) ++first;
    // The stream began with the movie (after the quarter second the device was given before
    // it), and from then on every sample the device played was sound.
    ASSERT_LT(first, size_t(0.5 * 44100 * 2));
    const size_t span = size_t(1.5 * 44100 * 2);
    ASSERT_GE(s.size(), first + span);
    size_t silent = 0;
    for (size_t i = first; i < first + span; ++i) silent += s[i] != 1000;
    EXPECT_EQ(silent, 0u);
}

}  // namespace
}  // namespace velmora::test
