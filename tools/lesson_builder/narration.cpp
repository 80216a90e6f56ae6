#include "narration.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace velmora::lessons {
namespace {

// Quotes a text for the shell: the lesson's words are the author's, not ours.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("command failed: " + command);
}

std::string seconds(double s) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", s);
    return buffer;
}

}  // namespace

std::vector<uint8_t> synthesizeNarration(const LessonScript& script, const std::string& workDir) {
    namespace fs = std::filesystem;
    fs::create_directories(workDir);
    const std::string rate = std::to_string(kNarrationSampleRate);

    // Silence as long as the lesson, then every spoken line mixed in at its start.
    const std::string base = (fs::path(workDir) / "silence.wav").string();
    run("sox -n -r " + rate + " -c 1 -b 16 " + quoted(base) + " trim 0 " + seconds(script.end));
    std::string mix = "sox -m -v 1 " + quoted(base);
    for (size_t i = 0; i < script.lines.size(); ++i) {
        const auto spoken = (fs::path(workDir) / ("line" + std::to_string(i) + ".wav")).string();
        const auto placed = (fs::path(workDir) / ("placed" + std::to_string(i) + ".wav")).string();
        run("espeak-ng -v cmn -s 130 -w " + quoted(spoken) + " " + quoted(script.lines[i].words));
        run("sox " + quoted(spoken) + " -r " + rate + " -c 1 -b 16 " + quoted(placed) + " pad " +
            seconds(script.lines[i].start));
        mix += " -v 1 " + quoted(placed);
    }
    const auto full = (fs::path(workDir) / "narration.wav").string();
    run(mix + " " + quoted(full) + " trim 0 " + seconds(script.end));

    const auto mp3 = (fs::path(workDir) / "narration.mp3").string();
    run("ffmpeg -y -loglevel error -i " + quoted(full) + " -c:a libmp3lame -b:a 48k -ar " + rate +
        " -ac 1 -write_xing 0 -id3v2_version 0 -f mp3 " + quoted(mp3));
    std::ifstream in(mp3, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace velmora::lessons
