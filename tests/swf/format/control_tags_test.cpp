// Control tags as the runtime and the sound system read them from the model.

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/movie_loader.h"
#include "swf/format/sprite.h"
#include "swf/format/tag_code.h"
#include "swf/format/video.h"

namespace velmora::swf {
namespace {

using test::SwfWriter;

const Frame& onlyFrame(const Movie& movie) {
    EXPECT_EQ(movie.root.frames.size(), 1u);
    return movie.root.frames.at(0);
}

TEST(ControlTags, PlaceObject3CarriesEveryField) {
    // A blur filter (blur 2.0 x 3.0, 1 pass) and a drop shadow.
    std::vector<uint8_t> filters = {2,
                                    1, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x08,
                                    0, 0x10, 0x20, 0x30, 0x80, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 2, 0,
                                    0x00, 0x02, 0x61};
    SwfWriter swf;
    swf.placeObject3({.depth = 7,
                      .characterId = 3,
                      .matrix = test::WriterMatrix{.scaleX = 2, .scaleY = -1, .translateX = -40, .translateY = 60},
                      .colorTransform = test::WriterColorTransform{.aMult = 128, .rAdd = -20},
                      .ratio = 500,
                      .name = "clip",
                      .clipDepth = 9,
                      .className = "my.Class",
                      .rawFilterList = filters,
                      .blendMode = 3,
                      .cacheAsBitmap = true,
                      .visible = false,
                      .backgroundColor = test::Color{1, 2, 3, 4}});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const auto& place = std::get<PlaceObject>(onlyFrame(*movie).tags.at(0));
    EXPECT_EQ(place.version, 3);
    EXPECT_EQ(place.depth, 7);
    EXPECT_FALSE(place.move);
    EXPECT_EQ(place.characterId, 3);
    ASSERT_TRUE(place.matrix);
    EXPECT_DOUBLE_EQ(place.matrix->a, 2.0);
    EXPECT_DOUBLE_EQ(place.matrix->d, -1.0);
    EXPECT_DOUBLE_EQ(place.matrix->tx, -40);
    EXPECT_DOUBLE_EQ(place.matrix->ty, 60);
    ASSERT_TRUE(place.colorTransform);
    EXPECT_DOUBLE_EQ(place.colorTransform->aMult, 0.5);
    EXPECT_EQ(place.colorTransform->rAdd, -20);
    EXPECT_EQ(place.ratio, 500);
    EXPECT_EQ(place.name, "clip");
    EXPECT_EQ(place.clipDepth, 9);
    EXPECT_EQ(place.className, "my.Class");
    ASSERT_TRUE(place.filters);
    ASSERT_EQ(place.filters->size(), 2u);
    EXPECT_EQ((*place.filters)[0].type, Filter::Type::Blur);
    EXPECT_DOUBLE_EQ((*place.filters)[0].blurX, 2.0);
    EXPECT_DOUBLE_EQ((*place.filters)[0].blurY, 3.0);
    EXPECT_EQ((*place.filters)[0].passes, 1);
    const Filter& shadow = (*place.filters)[1];
    EXPECT_EQ(shadow.type, Filter::Type::DropShadow);
    EXPECT_EQ(shadow.color, (Rgba{0x10, 0x20, 0x30, 0x80}));
    EXPECT_DOUBLE_EQ(shadow.blurX, 4.0);
    EXPECT_DOUBLE_EQ(shadow.distance, 2.0);
    EXPECT_DOUBLE_EQ(shadow.strength, 2.0);
    EXPECT_TRUE(shadow.knockout);
    EXPECT_TRUE(shadow.compositeSource);
    EXPECT_FALSE(shadow.inner);
    EXPECT_EQ(shadow.passes, 1);
    EXPECT_EQ(place.blendMode, BlendMode::Multiply);
    EXPECT_EQ(place.cacheAsBitmap, true);
    EXPECT_EQ(place.visible, false);
    EXPECT_EQ(place.backgroundColor, (Rgba{1, 2, 3, 4}));
}

TEST(ControlTags, ClipActionFlagsFollowTheVersion) {
    auto parseWith = [](uint8_t version, bool shortFlags) {
        SwfWriter swf(version);
        swf.placeObject2({.depth = 1,
                          .characterId = 2,
                          .clipActions = {{.events = kClipEventEnterFrame, .actions = {0x07, 0x00}},
                                          {.events = kClipEventKeyPress, .keyCode = 13, .actions = {0x06, 0x00}}},
                          .shortEventFlags = shortFlags});
        swf.showFrame();
        return parseMovie(swf.bytes());
    };
    auto modern = parseWith(6, false);
    const auto& place = std::get<PlaceObject>(onlyFrame(*modern).tags.at(0));
    ASSERT_EQ(place.clipActions.size(), 2u);
    EXPECT_EQ(place.clipActions[0].events, kClipEventEnterFrame);
    EXPECT_EQ(*place.clipActions[0].actions, (std::vector<uint8_t>{0x07, 0x00}));
    EXPECT_EQ(place.clipActions[1].keyCode, 13);
    EXPECT_EQ(*place.clipActions[1].actions, (std::vector<uint8_t>{0x06, 0x00}));

    // SWF 5 stores 16 bits of flags: the key press event does not exist there.
    SwfWriter old(5);
    old.placeObject2({.depth = 1, .characterId = 2, .clipActions = {{.events = kClipEventLoad | kClipEventMouseUp, .actions = {0}}},
                      .shortEventFlags = true});
    old.showFrame();
    auto movie = parseMovie(old.bytes());
    const auto& oldPlace = std::get<PlaceObject>(onlyFrame(*movie).tags.at(0));
    ASSERT_EQ(oldPlace.clipActions.size(), 1u);
    EXPECT_EQ(oldPlace.clipActions[0].events, kClipEventLoad | kClipEventMouseUp);
}

TEST(ControlTags, PlaceObject1RemoveObjectAndBackground) {
    SwfWriter swf;
    swf.setBackgroundColor({1, 2, 3});
    swf.placeObject(4, 2, {.translateX = 100});
    swf.removeObject(4, 2);
    swf.removeObject2(3);
    swf.setBackgroundColor({9, 9, 9});  // only the first sets the stage colour
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    const auto& tags = onlyFrame(*movie).tags;
    ASSERT_EQ(tags.size(), 5u);
    EXPECT_EQ(movie->backgroundColor, (Rgba{1, 2, 3, 255}));
    const auto& place = std::get<PlaceObject>(tags[1]);
    EXPECT_EQ(place.version, 1);
    EXPECT_EQ(place.characterId, 4);
    EXPECT_EQ(place.depth, 2);
    EXPECT_DOUBLE_EQ(place.matrix->tx, 100);
    EXPECT_FALSE(place.colorTransform);
    EXPECT_EQ(std::get<RemoveObject>(tags[2]).characterId, 4);
    EXPECT_EQ(std::get<RemoveObject>(tags[3]).depth, 3);
    EXPECT_FALSE(std::get<RemoveObject>(tags[3]).characterId);
    EXPECT_EQ(std::get<SetBackgroundColor>(tags[4]).color, (Rgba{9, 9, 9, 255}));
}

TEST(ControlTags, SoundTags) {
    const uint8_t mp3[] = {0x10, 0x00, 0xFF, 0xFB, 0x90};
    test::SwfTagList clip;
    clip.soundStreamHead2({.format = 2, .rateCode = 2, .is16Bit = true, .stereo = true}, 1152, -576);
    clip.soundStreamBlock(mp3).showFrame();
    SwfWriter swf;
    const uint8_t pcm[] = {1, 2, 3, 4};
    swf.defineSound(9, {.format = 3, .rateCode = 1, .is16Bit = true, .stereo = false}, 2, pcm);
    swf.defineSound(10, {.format = 2, .rateCode = 3}, 1152, mp3);
    swf.defineSprite(11, clip);
    swf.startSound(9, {.syncStop = true, .inPoint = 10, .outPoint = 20, .loops = 3,
                       .envelope = {{.position44 = 0, .left = 100, .right = 200}}});
    swf.startSound2("narration.Sound", {.syncNoMultiple = true});
    swf.soundStreamHead2({.format = 3, .rateCode = 0, .is16Bit = false, .stereo = false}, 512, 0, /*legacy=*/true);
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();

    const auto& sound = dynamic_cast<const SoundCharacter&>(*movie->character(9));
    EXPECT_EQ(sound.info.format, SoundFormat::PcmLittleEndian);
    EXPECT_EQ(sound.info.sampleRate, 11025u);
    EXPECT_TRUE(sound.info.is16Bit);
    EXPECT_FALSE(sound.info.stereo);
    EXPECT_EQ(sound.sampleCount, 2u);
    EXPECT_EQ(sound.data, (std::vector<uint8_t>{1, 2, 3, 4}));
    const auto& mp3Sound = dynamic_cast<const SoundCharacter&>(*movie->character(10));
    EXPECT_EQ(mp3Sound.mp3SeekSamples, 16);
    EXPECT_EQ(mp3Sound.data, (std::vector<uint8_t>{0xFF, 0xFB, 0x90}));

    const auto& tags = onlyFrame(*movie).tags;
    ASSERT_EQ(tags.size(), 2u);
    const auto& start = std::get<StartSound>(tags[0]);
    EXPECT_EQ(start.soundId, 9);
    EXPECT_TRUE(start.info.syncStop);
    EXPECT_EQ(start.info.inPoint, 10u);
    EXPECT_EQ(start.info.outPoint, 20u);
    EXPECT_EQ(start.info.loops, 3);
    ASSERT_EQ(start.info.envelope.size(), 1u);
    EXPECT_EQ(start.info.envelope[0].rightLevel, 200);
    const auto& start2 = std::get<StartSound>(tags[1]);
    EXPECT_EQ(start2.className, "narration.Sound");
    EXPECT_TRUE(start2.info.syncNoMultiple);
    EXPECT_EQ(start2.info.loops, 1);

    ASSERT_TRUE(movie->root.streamHead);
    EXPECT_EQ(movie->root.streamHead->stream.sampleRate, 5512u);
    EXPECT_FALSE(movie->root.streamHead->stream.is16Bit);
    EXPECT_EQ(movie->root.streamHead->samplesPerBlock, 512);

    const auto& sprite = dynamic_cast<const SpriteCharacter&>(*movie->character(11));
    ASSERT_TRUE(sprite.timeline.streamHead);
    EXPECT_EQ(sprite.timeline.streamHead->stream.format, SoundFormat::Mp3);
    EXPECT_TRUE(sprite.timeline.streamHead->stream.stereo);
    EXPECT_EQ(sprite.timeline.streamHead->latencySeek, -576);
    const auto& block = std::get<SoundStreamBlock>(sprite.timeline.frames.at(0).tags.at(0));
    EXPECT_EQ(*block.data, std::vector<uint8_t>(std::begin(mp3), std::end(mp3)));
}

TEST(ControlTags, DamagedControlTagIsDroppedAndTheFramePlaysOn) {
    SwfWriter swf;
    swf.placeObject2({.depth = 1, .characterId = 1});
    swf.rawTag(kTagPlaceObject2, {0x02});  // says "has character" but holds nothing
    swf.rawTag(kTagRemoveObject2, {});
    swf.doAction({0x07, 0x00});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    const auto& tags = onlyFrame(*movie).tags;
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<PlaceObject>(tags[0]));
    EXPECT_TRUE(std::holds_alternative<DoAction>(tags[1]));
    ASSERT_EQ(movie->warnings.size(), 2u);
    EXPECT_NE(movie->warnings[0].find("PlaceObject2"), std::string::npos);
    EXPECT_NE(movie->warnings[1].find("RemoveObject2"), std::string::npos);
}

TEST(ControlTags, VideoFrames) {
    SwfWriter swf;
    swf.rawTag(kTagDefineVideoStream, {5, 0, 10, 0, 0x40, 0x01, 0xF0, 0x00, 0b00000011, 2});
    swf.rawTag(kTagVideoFrame, {5, 0, 3, 0, 0xAA, 0xBB});
    swf.showFrame();
    auto movie = parseMovie(swf.bytes());
    ASSERT_TRUE(movie->warnings.empty()) << movie->warnings.front();
    const auto& video = dynamic_cast<const VideoStreamCharacter&>(*movie->character(5));
    EXPECT_EQ(video.frameCount, 10);
    EXPECT_EQ(video.width, 320);
    EXPECT_EQ(video.height, 240);
    EXPECT_EQ(video.deblocking, 1);
    EXPECT_TRUE(video.smoothing);
    EXPECT_EQ(video.codec, VideoStreamCharacter::Codec::H263);
    const auto& frame = std::get<VideoFrame>(onlyFrame(*movie).tags.at(0));
    EXPECT_EQ(frame.streamId, 5);
    EXPECT_EQ(frame.frameNum, 3);
    EXPECT_EQ(*frame.data, (std::vector<uint8_t>{0xAA, 0xBB}));
}

}  // namespace
}  // namespace velmora::swf
