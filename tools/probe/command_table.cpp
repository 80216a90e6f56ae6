#include <stdexcept>

#include "probe_command.h"

namespace velmora::probe {

namespace {

constexpr ProbeCommand kCommands[] = {
    {"info", "FILE", "the header, the frame count and the named clips of the first frame", runInfoCommand},
    {"tags", "FILE", "every tag record, sprites' tags indented beneath them", runTagsCommand},
};

}  // namespace

std::span<const ProbeCommand> probeCommands() { return kCommands; }

void throwUsage(const ProbeCommand& command) {
    throw std::runtime_error("usage: velmora-probe " + std::string(command.name) + " " + std::string(command.usage));
}

}  // namespace velmora::probe
