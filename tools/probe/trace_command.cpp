#include <iostream>
#include <stdexcept>

#include "probe_command.h"
#include "swf/format/movie_loader.h"
#include "swf/runtime/movie_instance.h"

namespace velmora::probe {

void traceMovie(const std::string& file, int frames, bool warnings, std::ostream& out, std::ostream& diagnostics) {
    auto movie = swf::loadMovieFile(file);
    swf::MovieInstance::Options options;
    options.virtualClock = true;
    // Files the movie reads (XML, variables, sounds) are found beside it, as in the player.
    options.url = file;
    options.traceSink = [&out](const std::string& line) { out << line << "\n"; };
    if (warnings) options.warningSink = [&out](const std::string& line) { out << line << "\n"; };
    swf::MovieInstance instance(std::move(movie), std::move(options));
    // The first frame ran as the instance was made; fscommand("quit") ends the run where it is.
    for (int frame = 1; frame < frames && !instance.quitRequested(); ++frame) instance.tick();
    // The file's and the scripts' problems; trace output has gone to `out` already.
    for (const swf::Diagnostic& d : instance.diagnostics().entries()) diagnostics << d.line() << "\n";
}

void runTraceCommand(std::span<const std::string> args, std::ostream& out) {
    const ProbeCommand& self = probeCommands()[4];
    std::string file;
    int frames = -1;
    bool warnings = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--frames" && i + 1 < args.size()) {
            try {
                frames = std::stoi(args[++i]);
            } catch (const std::exception&) {
                throwUsage(self);
            }
        } else if (args[i] == "--warnings") {
            warnings = true;
        } else if (file.empty() && !args[i].starts_with("--")) {
            file = args[i];
        } else {
            throwUsage(self);
        }
    }
    if (file.empty() || frames < 1 || frames > 1'000'000) throwUsage(self);
    traceMovie(file, frames, warnings, out, std::cerr);
}

}  // namespace velmora::probe
