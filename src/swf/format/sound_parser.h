#pragma once

#include <memory>

#include "swf/format/bit_reader.h"
#include "swf/format/sound.h"

namespace velmora::swf {

// DefineSound. Raises MalformedData when the body is cut short.
std::shared_ptr<SoundCharacter> parseDefineSound(BitReader& in);
// The SOUNDINFO of StartSound, StartSound2 and DefineButtonSound.
SoundInfo parseSoundInfo(BitReader& in);
// SoundStreamHead and SoundStreamHead2 (same layout).
SoundStreamHead parseSoundStreamHead(BitReader& in);

}  // namespace velmora::swf
