#include <stdexcept>

#include "probe_command.h"

namespace velmora::probe {

namespace {

constexpr ProbeCommand kCommands[] = {
    {"info", "FILE", "the header, the frame count and the named clips of the first frame", runInfoCommand},
    {"tags", "FILE", "every tag record, sprites' tags indented beneath them", runTagsCommand},
    {"audio", "FILE --out WAV [--seconds S]",
     "the movie's sound from its start as 44.1 kHz stereo WAV (default: until the sound ends, at most 10 min)",
     runAudioCommand},
    {"render", "FILE --frame N --out PNG [--width W --height H] [--background RRGGBB]",
     "frame N (from 0, played from the start) as a PNG, scaled to fit as the player shows it (default: stage size)",
     runRenderCommand},
    {"trace", "FILE --frames N [--warnings]",
     "runs N frames on a virtual clock (or until fscommand(\"quit\")), printing trace() lines; "
     "--warnings adds the reference player's debug lines",
     runTraceCommand},
};

}  // namespace

std::span<const ProbeCommand> probeCommands() { return kCommands; }

void throwUsage(const ProbeCommand& command) {
    throw std::runtime_error("usage: velmora-probe " + std::string(command.name) + " " + std::string(command.usage));
}

}  // namespace velmora::probe
