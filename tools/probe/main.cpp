// velmora-probe: looks inside a movie from the command line, for people, tests and benchmarks.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "probe_command.h"

namespace {

void printUsage(std::ostream& out) {
    out << "usage: velmora-probe COMMAND ARGS...\n";
    for (const auto& command : velmora::probe::probeCommands()) {
        out << "  " << command.name << " " << command.usage << "\t" << command.summary << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(std::cerr);
        return 1;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(std::cout);
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& command : velmora::probe::probeCommands()) {
        if (command.name != name) continue;
        try {
            command.run(args, std::cout);
            std::cout.flush();
            return std::cout ? 0 : 1;
        } catch (const std::exception& e) {
            std::cout.flush();
            std::cerr << "velmora-probe: " << e.what() << "\n";
            return 1;
        }
    }
    std::cerr << "velmora-probe: unknown command \"" << name << "\" (try velmora-probe --help)\n";
    return 1;
}
