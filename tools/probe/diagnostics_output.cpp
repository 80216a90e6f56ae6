#include <iostream>

#include "probe_command.h"

namespace velmora::probe {

void printDiagnostics(const swf::Diagnostics& diagnostics) {
    for (const swf::Diagnostic& d : diagnostics.entries()) std::cerr << d.line() << "\n";
    std::cerr.flush();
}

}  // namespace velmora::probe
