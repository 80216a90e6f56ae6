#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "swf/format/diagnostics.h"

namespace velmora::probe {

// One subcommand of velmora-probe. run() gets the arguments after the command's name and writes
// its report to out. It signals failure by throwing (std::exception's what() becomes the one-line
// error on standard error, and the exit code 1); it returns normally on success.
struct ProbeCommand {
    std::string_view name;
    std::string_view usage;  // the arguments, e.g. "FILE"
    std::string_view summary;
    void (*run)(std::span<const std::string> args, std::ostream& out);
};

// Every command the probe knows, in the order `velmora-probe` lists them. A new command is one
// file with its run function and one line in command_table.cpp.
std::span<const ProbeCommand> probeCommands();

// Writes a movie's diagnostics to standard error, one line each ("script: ..."), so that standard
// output holds only the command's report.
void printDiagnostics(const swf::Diagnostics& diagnostics);

// The error for a command called with the wrong arguments.
[[noreturn]] void throwUsage(const ProbeCommand& command);

void runInfoCommand(std::span<const std::string> args, std::ostream& out);
void runTagsCommand(std::span<const std::string> args, std::ostream& out);
void runAudioCommand(std::span<const std::string> args, std::ostream& out);
void runRenderCommand(std::span<const std::string> args, std::ostream& out);
void runTraceCommand(std::span<const std::string> args, std::ostream& out);

// Plays file for `frames` frames (the first included) on a virtual clock, or until the movie
// calls fscommand("quit"), writing each trace() line to out; with `warnings`, also the reference
// player's own debug lines, where it prints them. Diagnostics go to `diagnostics`. Throws when
// the file cannot be loaded.
void traceMovie(const std::string& file, int frames, bool warnings, std::ostream& out, std::ostream& diagnostics);

}  // namespace velmora::probe
