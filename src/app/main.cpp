#include <QApplication>
#include <QThreadPool>
#include <clocale>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt takes the user's locale for the C library too; movies' numbers (scripts, HTML text sizes)
    // are read and printed with a decimal point whatever the user's language.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));

    // Qt's raster engine hands long runs of pixels (a line across a scroll bar, a tall image) to
    // its shared thread pool and waits for them; each hand-over wakes pooled threads and the
    // window thread. The player draws little per frame, and two pooled threads took more
    // wake-ups than the frames themselves while a lesson played: one is enough.
    QThreadPool::globalInstance()->setMaxThreadCount(1);

    velmora::MainWindow window;
    window.start();
    return QApplication::exec();
}
