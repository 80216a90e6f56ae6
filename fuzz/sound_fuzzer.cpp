// Loads arbitrary bytes as a movie and, when they load, plays every sound in it at once, event
// sounds and the stream of every timeline, for a second of mixed output: every crash, hang or
// runaway allocation in the sound tables, the decoders or the mixer is a bug.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_movie.h"
#include "swf/format/control_tags.h"
#include "swf/format/sound.h"
#include "swf/format/sprite.h"
#include "swf/sound/mixer.h"
#include "swf/sound/output_format.h"
#include "swf/sound/sound_channel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::swf;
    const std::shared_ptr<const Movie> movie = velmora::fuzz::loadMovie(data, size);
    if (!movie) return 0;
    Mixer mixer;
    {
        SoundChannel channel(mixer, movie);
        const double rate = movie->frameRate > 0 ? movie->frameRate : 12.0;
        channel.playStream(&movie->root, movie->root, rate, 0);
        for (const auto& [id, character] : movie->dictionary) {
            if (const auto* sound = dynamic_cast<const SoundCharacter*>(character.get())) {
                StartSound start;
                start.soundId = id;
                channel.startSound(start, sound);
            } else if (const auto* sprite = dynamic_cast<const SpriteCharacter*>(character.get())) {
                channel.playStream(sprite, sprite->timeline, rate, 0);
            }
        }
        // One second in device-sized pieces, decoding ahead as the audio thread does.
        std::vector<int16_t> out(441 * kOutputChannels);
        for (int step = 0; step < 100; ++step) {
            mixer.render(out.data(), 441);
            if (step % 5 == 0) mixer.decodeAhead(kOutputRate);
            mixer.collectEnded();
        }
    }
    mixer.collectEnded();
    return 0;
}
