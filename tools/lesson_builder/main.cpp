// Builds the sample lessons from their scripts:
//   velmora-lesson-builder SCRIPT... --out DIR
// writes DIR/swf/NAME.swf (the subtitle movie) and DIR/mp3/NAME.swf (the sound movie) for each
// script NAME.txt. Needs espeak-ng, sox and ffmpeg on the PATH and the WenQuanYi Micro Hei font.
#include <QGuiApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "lesson_movies.h"
#include "lesson_script.h"
#include "narration.h"

namespace {

void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // fonts need the GUI application (offscreen is enough)
    std::vector<std::string> scripts;
    std::filesystem::path out = ".";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) out = argv[++i];
        else scripts.push_back(arg);
    }
    if (scripts.empty()) {
        std::fprintf(stderr, "usage: velmora-lesson-builder SCRIPT... --out DIR\n");
        return 1;
    }
    try {
        for (const auto& scriptPath : scripts) {
            namespace lessons = velmora::lessons;
            const auto script = lessons::readLessonScript(scriptPath);
            const auto name = std::filesystem::path(scriptPath).stem().string();
            const auto work = std::filesystem::temp_directory_path() / ("velmora-lesson-" + name);
            const auto mp3 = lessons::synthesizeNarration(script, work.string());
            if (script.quiz.empty()) {
                writeBytes(out / "swf" / (name + ".swf"), lessons::buildSubtitleMovie(script));
            } else {
                writeBytes(out / "swf" / (name + ".swf"), lessons::buildQuizMovie(script, script.quiz));
                const auto xml = std::filesystem::path(scriptPath).parent_path() / script.quiz;
                std::filesystem::copy_file(xml, out / "swf" / script.quiz, std::filesystem::copy_options::overwrite_existing);
            }
            writeBytes(out / "mp3" / (name + ".swf"), lessons::buildSoundMovie(script, mp3));
            std::filesystem::remove_all(work);
            std::printf("%s: %zu lines, %.1f s\n", name.c_str(), script.lines.size(), script.end);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora-lesson-builder: %s\n", e.what());
        return 1;
    }
    return 0;
}
