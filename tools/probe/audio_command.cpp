// velmora-probe audio FILE --out WAV [--seconds S]: the movie's sound, as the player would let it be
// heard from the movie's start, written as 44100 Hz 16-bit stereo WAV.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iomanip>
#include <stdexcept>

#include "probe_command.h"
#include "swf/format/movie_loader.h"
#include "swf/sound/output_format.h"
#include "swf/sound/virtual_playback.h"
#include "swf/sound/wav_writer.h"

namespace velmora::probe {

namespace {

// A sound movie whose end cannot be found (a looping main timeline) stops here.
constexpr double kMaxSeconds = 600;

const ProbeCommand& audioCommand() {
    for (const auto& c : probeCommands()) {
        if (c.name == "audio") return c;
    }
    throw std::logic_error("the audio command is missing from the command table");
}

double parseSeconds(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0 ||
        value > 24 * 3600) {
        throw std::runtime_error("--seconds wants a number of seconds from 0 to 86400, not \"" + text + "\"");
    }
    return value;
}

}  // namespace

void runAudioCommand(std::span<const std::string> args, std::ostream& out) {
    std::string file;
    std::string wav;
    double seconds = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) {
            wav = args[++i];
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            seconds = parseSeconds(args[++i]);
        } else if (file.empty() && !args[i].starts_with("--")) {
            file = args[i];
        } else {
            throwUsage(audioCommand());
        }
    }
    if (file.empty() || wav.empty()) throwUsage(audioCommand());

    auto movie = swf::loadMovieFile(file);
    swf::MovieInstance::Options options;
    // Without a given length the sound's end is the stop: the main timeline plays through once.
    options.loop = seconds >= 0;
    swf::VirtualPlayback playback(movie, options);
    swf::WavWriter writer(wav);

    const bool untilEnd = seconds < 0;
    const int64_t total = swf::outputFrames(untilEnd ? kMaxSeconds : seconds);
    std::vector<int16_t> step;
    while (playback.elapsed() < total && !(untilEnd && playback.soundEnded())) {
        step.clear();
        playback.run(int64_t(swf::VirtualPlayback::kStepFrames), &step);
        const int64_t before = int64_t(writer.framesWritten());
        const size_t frames = size_t(std::min<int64_t>(int64_t(step.size() / swf::kOutputChannels), total - before));
        if (!writer.write(step.data(), frames)) break;
    }
    writer.close();

    out << "wrote: " << wav << "\n";
    out << "seconds: " << std::fixed << std::setprecision(3) << swf::outputSeconds(int64_t(writer.framesWritten()))
        << "\n";
    out << "sound-ended: " << (playback.soundEnded() ? "yes" : "no") << "\n";
    printDiagnostics(playback.instance().diagnostics());  // the file's warnings among them
    printDiagnostics(playback.channel().diagnostics());
}

}  // namespace velmora::probe
