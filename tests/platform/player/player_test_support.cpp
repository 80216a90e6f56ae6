#include "player_test_support.h"

#include "support/qt_application.h"

#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace velmora::test {

namespace {

const auto* const kEnvironment = addQtApplication<QApplication>();

}  // namespace

std::string MovieFolder::pathOf(const std::string& name) const {
    return dir_.filePath(QString::fromStdString(name)).toStdString();
}

std::string MovieFolder::write(const std::string& name, const SwfWriter& movie) {
    const std::string path = pathOf(name);
    movie.writeFile(path);
    return path;
}

std::string MovieFolder::writeBytes(const std::string& name, const std::string& bytes) {
    const std::string path = pathOf(name);
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write " + path);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

SwfWriter soundLesson(int rootFrames, int clipFrames) {
    SwfWriter swf;
    SwfTagList clip;
    for (int i = 0; i < clipFrames; ++i) clip.showFrame();
    swf.defineSprite(10, clip);
    swf.placeObject2({.depth = 1, .characterId = 10, .name = "mp3_mc"});
    for (int i = 0; i < rootFrames; ++i) swf.showFrame();
    return swf;
}

SwfWriter buttonMovie() {
    SwfWriter swf;
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    // DefineButton2 id 20: one record for every state and the hit area, then one action on
    // release (OverDownToOverUp): Push "clicked", Trace, Stop, End.
    std::vector<uint8_t> body{20, 0, 0, 10, 0, 0x0F, 1, 0, 1, 0, 0x00, 0x00, 0x00, 0, 0, 0x08, 0x00,
                              0x96, 9, 0, 0, 'c', 'l', 'i', 'c', 'k', 'e', 'd', 0, 0x26, 0x07, 0x00};
    swf.rawTag(34, body);
    swf.placeObject2({.depth = 1, .characterId = 20, .matrix = WriterMatrix{.translateX = 1000, .translateY = 1000}});
    swf.showFrame().showFrame();
    return swf;
}

SwfWriter plainMovie(int frames, double fps) {
    SwfWriter swf;
    swf.frameRate(fps);
    swf.setBackgroundColor({0, 128, 255});
    swf.defineRectangle(1, 0, 0, 400, 400, {255, 0, 0});
    swf.placeObject2({.depth = 1, .characterId = 1});
    for (int i = 0; i < frames; ++i) swf.showFrame();
    return swf;
}

}  // namespace velmora::test
