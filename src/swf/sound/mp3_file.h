#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "swf/format/sound.h"

namespace velmora::swf {

// An MP3 file a movie loads (Sound.loadSound), made into a sound the mixer plays like a
// DefineSound: its frames with the tags around them left out, its rate and sides from its first
// frame, its length counted frame by frame.
//
// Returns nullptr with the reason in whyNot when the bytes hold no MPEG layer III frames (some
// other kind of file, a cut-off or empty one). Garbage between frames is skipped as the decoder
// skips it.
std::shared_ptr<SoundCharacter> soundFromMp3File(std::span<const uint8_t> file, std::string& whyNot);

}  // namespace velmora::swf
