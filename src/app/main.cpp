#include <QApplication>
#include <clocale>

#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt takes the user's locale for the C library too; movies' numbers (scripts, HTML text sizes)
    // are read and printed with a decimal point whatever the user's language.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));

    velmora::MainWindow window;
    window.start();
    return QApplication::exec();
}
