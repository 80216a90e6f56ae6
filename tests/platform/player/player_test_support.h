#pragma once

#include <QTemporaryDir>
#include <string>

#include "support/swf_writer.h"

namespace velmora::test {

// A folder for the movie files of one test, removed afterwards.
class MovieFolder {
public:
    // Writes the movie as name in the folder and returns its full path.
    std::string write(const std::string& name, const SwfWriter& movie);
    // Writes bytes as they are.
    std::string writeBytes(const std::string& name, const std::string& bytes);
    std::string pathOf(const std::string& name) const;

private:
    QTemporaryDir dir_;
};

// A sound lesson: main timeline of `rootFrames`, holding clip "mp3_mc" of `clipFrames`.
SwfWriter soundLesson(int rootFrames, int clipFrames);
// A one-frame movie with a 20 x 20 px button at (50, 50) px whose click traces "clicked" and
// stops the main timeline.
SwfWriter buttonMovie();
// A movie of `frames` frames at `fps`, each frame tracing its number.
SwfWriter plainMovie(int frames, double fps = 12);

}  // namespace velmora::test
