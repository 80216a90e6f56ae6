#include "lesson_script.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velmora::lessons {
namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string> splitBars(const std::string& s) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, '|')) parts.push_back(trim(part));
    return parts;
}

}  // namespace

LessonScript readLessonScript(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot open the lesson script");
    LessonScript script;
    std::string raw;
    int number = 0;
    auto fail = [&](const std::string& why) {
        throw std::runtime_error(path + ":" + std::to_string(number) + ": " + why);
    };
    while (std::getline(in, raw)) {
        ++number;
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind("title:", 0) == 0) {
            script.title = trim(line.substr(6));
        } else if (line.rfind("colors:", 0) == 0) {
            std::istringstream colors(line.substr(7));
            std::string top, bottom;
            colors >> top >> bottom;
            try {
                script.topColor = static_cast<unsigned>(std::stoul(top, nullptr, 16));
                script.bottomColor = static_cast<unsigned>(std::stoul(bottom, nullptr, 16));
            } catch (const std::exception&) {
                fail("colors wants two RRGGBB values");
            }
        } else if (line.rfind("line ", 0) == 0) {
            const auto parts = splitBars(line.substr(5));
            if (parts.size() != 4) fail("a line wants START | text | gloss | words");
            ScriptLine entry;
            try {
                entry.start = std::stod(parts[0]);
            } catch (const std::exception&) {
                fail("a line's start is not a number");
            }
            if (!script.lines.empty() && entry.start <= script.lines.back().start) fail("lines must start in order");
            entry.text = parts[1];
            entry.gloss = parts[2];
            entry.words = parts[3];
            script.lines.push_back(entry);
        } else if (line.rfind("quiz:", 0) == 0) {
            script.quiz = trim(line.substr(5));
            if (script.quiz.empty() || script.quiz.find_first_of("/\\") != std::string::npos) {
                fail("quiz wants the name of an XML file beside the script");
            }
        } else if (line.rfind("end:", 0) == 0) {
            try {
                script.end = std::stod(line.substr(4));
            } catch (const std::exception&) {
                fail("end is not a number");
            }
        } else {
            fail("unknown directive");
        }
    }
    if (script.lines.empty()) throw std::runtime_error(path + ": the lesson has no lines");
    if (script.end <= script.lines.back().start) throw std::runtime_error(path + ": end must come after the last line");
    return script;
}

}  // namespace velmora::lessons
