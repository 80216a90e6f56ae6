#include <cmath>

#include "lesson_movies.h"
#include "mp3_frames.h"
#include "narration.h"
#include "support/swf_writer.h"

namespace velmora::lessons {

using test::BitWriter;
using test::SwfTagList;
using test::SwfWriter;

std::vector<uint8_t> buildSoundMovie(const LessonScript& script, const std::vector<uint8_t>& narrationMp3) {
    const auto mp3Frames = splitMp3Frames(narrationMp3);
    const double samplesPerFrame = kNarrationSampleRate / kLessonFrameRate;
    const auto frames = static_cast<size_t>(std::lround(script.end * kLessonFrameRate));

    SwfTagList clip;
    clip.soundStreamHead2({.format = 2, .rateCode = 2, .is16Bit = true, .stereo = false},
                          static_cast<uint16_t>(std::lround(samplesPerFrame)));
    // Each movie frame carries the MP3 frames that begin within its time, so that the sound runs
    // level with the timeline.
    size_t next = 0;
    uint64_t emitted = 0;
    for (size_t frame = 0; frame < frames; ++frame) {
        const auto frameEnd = static_cast<uint64_t>(std::llround((frame + 1) * samplesPerFrame));
        BitWriter block;
        uint32_t samples = 0;
        std::vector<uint8_t> payload;
        while (next < mp3Frames.size() && emitted < frameEnd) {
            const auto& f = mp3Frames[next++];
            payload.insert(payload.end(), narrationMp3.begin() + static_cast<long>(f.offset),
                           narrationMp3.begin() + static_cast<long>(f.offset + f.length));
            samples += f.samples;
            emitted += f.samples;
        }
        if (!payload.empty()) {
            block.u16(static_cast<uint16_t>(samples));
            block.u16(0);  // no samples to skip: every block starts on an MP3 frame
            block.bytes(payload);
            clip.soundStreamBlock(block.take());
        }
        if (frame + 1 == frames) clip.doAction({0x07, 0x00});  // the narration ends: stop
        clip.showFrame();
    }

    SwfWriter swf(8);
    swf.compression(SwfWriter::Compression::Zlib).stageSizePixels(100, 100).frameRate(kLessonFrameRate);
    swf.setBackgroundColor({255, 255, 255});
    swf.defineSprite(1, clip);
    swf.placeObject2({.depth = 1, .characterId = 1, .name = std::string("mp3_mc")});
    swf.doAction({0x07, 0x00});
    swf.showFrame();
    return swf.bytes();
}

}  // namespace velmora::lessons
