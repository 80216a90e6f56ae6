// What the timelines tell the sound system, and how a timeline follows its audio.
#include <gtest/gtest.h>

#include <map>

#include "runtime_fixtures.h"

namespace velmora::test {
namespace {

class RecordingSound : public swf::SoundEvents {
public:
    void streamPlay(const swf::Clip& clip, size_t frame) override {
        calls.push_back(label(clip) + " play " + std::to_string(frame));
    }
    void streamStop(const swf::Clip& clip) override { calls.push_back(label(clip) + " stop"); }
    std::optional<double> streamPosition(const swf::Clip& clip) const override {
        auto it = positions.find(&clip);
        if (it == positions.end()) return std::nullopt;
        return it->second;
    }
    void startSound(const swf::StartSound& tag, const swf::SoundCharacter* sound) override {
        calls.push_back("event " + std::to_string(tag.soundId) + (sound ? "" : " (none)"));
    }
    void stopAllSounds() override { calls.push_back("stop all"); }

    static std::string label(const swf::Clip& clip) { return clip.isRoot() ? "root" : clip.name(); }

    std::vector<std::string> calls;
    std::map<const swf::Clip*, double> positions;
};

SwfWriter narrated() {
    SwfWriter swf;
    const std::vector<uint8_t> samples(8, 0);
    swf.defineSound(5, {}, 4, samples);
    swf.soundStreamHead2({}, 1837);
    for (int i = 0; i < 6; ++i) {
        swf.soundStreamBlock(samples);
        if (i == 2) swf.startSound(5);
        if (i == 3) swf.startSound(77);
        swf.showFrame();
    }
    return swf;
}

swf::MovieInstance::Options with(RecordingSound& sound) {
    swf::MovieInstance::Options options;
    options.sound = &sound;
    return options;
}

TEST(SoundHooks, StreamFollowsPlayStopGotoAndTheLoop) {
    RecordingSound sound;
    auto movie = play(narrated(), with(sound));
    swf::Clip& root = movie->root();
    root.stop();
    root.gotoFrame(4);   // while stopped: nothing to hear
    root.play();
    root.gotoFrame(5);   // while running: heard from the new frame
    movie->tick();       // the loop back to the first frame
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"root play 0", "root stop", "root play 4", "root play 5",
                                                     "root play 0"}));
}

TEST(SoundHooks, EventSoundsOfTheFramesEnteredOnly) {
    RecordingSound sound;
    auto movie = play(narrated(), with(sound));
    sound.calls.clear();
    movie->root().gotoFrame(5);  // passes frames 2 and 3 without entering them
    EXPECT_TRUE(sound.calls == std::vector<std::string>{"root play 5"});
    movie->root().gotoFrame(2);
    movie->root().nextFrame();
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"root play 5", "event 5", "root play 2", "root stop",
                                                     "event 77 (none)"}));
}

TEST(SoundHooks, ATimelineWithAudibleStreamKeepsPaceWithItsSound) {
    RecordingSound sound;
    auto movie = play(narrated(), with(sound));
    swf::Clip& root = movie->root();
    sound.positions[&root] = 3.6;  // the sound is ahead: the picture catches up
    movie->tick();
    EXPECT_EQ(root.currentFrame(), 3u);
    sound.positions[&root] = 2.1;  // the picture is ahead: it waits
    movie->tick();
    EXPECT_EQ(root.currentFrame(), 3u);
    sound.positions.clear();        // the sound ran out: frame rate again
    movie->tick();
    EXPECT_EQ(root.currentFrame(), 4u);
}

TEST(SoundHooks, RemovingAClipSilencesItsStreamAndStopSoundsSilencesAll) {
    RecordingSound sound;
    SwfWriter swf;
    SwfTagList voice;
    voice.soundStreamHead2({}, 1837).showFrame().showFrame();
    swf.defineSprite(10, voice);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mp3_mc"}).showFrame();
    swf.removeObject2(1).doAction(Asm().op(0x09)).showFrame();
    auto movie = play(swf, with(sound));
    movie->tick();
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"mp3_mc play 0", "mp3_mc stop", "stop all"}));
}

}  // namespace
}  // namespace velmora::test
