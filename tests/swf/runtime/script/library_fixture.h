#pragma once

#include <string>
#include <vector>

#include "support/avm1_assembler.h"

namespace velmora::test {

// Runs code as the first frame's script of a movie of that SWF version; returns its trace lines.
std::vector<std::string> runScript(const Avm1Assembler& code, uint8_t version = 10);
// The same, returning every message of the movie (traces with their "trace: " prefix).
std::vector<std::string> runScriptMessages(const Avm1Assembler& code, uint8_t version = 10);

}  // namespace velmora::test
