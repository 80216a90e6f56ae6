#pragma once

#include <string>
#include <vector>

namespace velmora::lessons {

// One subtitle line: shown from `start` seconds until the next line starts, spoken as `words`.
struct ScriptLine {
    double start = 0.0;
    std::string text;   // the Chinese line
    std::string gloss;  // its pinyin and English meaning
    std::string words;  // what the narrator says
};

// A lesson as its author writes it: a plain text file, one directive a line (see
// samples/lessons/lesson1.txt for the directives).
struct LessonScript {
    std::string title;
    unsigned topColor = 0xFFD36E;     // RRGGBB, the picture's gradient
    unsigned bottomColor = 0xFF8A5B;
    std::vector<ScriptLine> lines;    // in order of start
    double end = 0.0;                 // seconds; the last frame stops there
    // A quiz lesson: the XML file of its questions, beside the script (copied beside the movie).
    std::string quiz;
};

// Reads a script. Throws std::runtime_error naming the file and line for anything it cannot read:
// an unknown directive, a line without its four fields, times out of order or past the end.
LessonScript readLessonScript(const std::string& path);

}  // namespace velmora::lessons
