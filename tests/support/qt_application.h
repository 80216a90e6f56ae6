#pragma once

// What every Qt test program needs: one application object for the whole run, and a way to let
// the event loop work until something has happened. Header-only, so that test support itself
// needs no Qt; the programs that include it link Qt.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace velmora::test {

// Creates the Application (QGuiApplication for images and fonts, QApplication for widgets) on the
// offscreen platform unless another was chosen, and destroys it while gtest still runs: destroyed
// among the exit handlers it would outlive parts of Qt it needs.
template <class Application>
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velmora-test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<Application>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<Application> app_;
};

// Registers the program's application; call once, from one file, at namespace scope.
template <class Application>
::testing::Environment* addQtApplication() {
    return ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment<Application>);
}

// Runs the event loop until `done` holds or `milliseconds` have passed; returns whether it held.
inline bool processEventsUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Runs the event loop for `milliseconds`, delivering timers and posted events.
inline void processEventsFor(int milliseconds) {
    processEventsUntil([] { return false; }, milliseconds);
}

}  // namespace velmora::test
