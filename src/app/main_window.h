#pragma once

#include <QWidget>
#include <memory>

#include "platform/qt/failure_reporter.h"
#include "platform/qt/notification_dispatcher.h"
#include "platform/qt/qt_app_folder.h"
#include "platform/qt/qt_button.h"
#include "platform/qt/qt_common_dialog.h"
#include "platform/qt/qt_dialog_runner.h"
#include "platform/qt/qt_form.h"
#include "platform/qt/qt_scroll_bar.h"
#include "platform/qt/qt_slider.h"
#include "platform/qt/qt_timer.h"

namespace velmora {

class DefaultButtonKey;
class FailureNotice;
class Form1;
class SwfPlayerWidget;

// The player's one window: Form1's controls built on the Qt toolkit layer at their creation
// placements and settings, with every notification wired to its Form1 handler through one
// dispatcher (one handler at a time; a failure is reported, never fatal).
//
// It lives here, beside main(), because it is the one place that joins the three libraries: the
// toolkit layer, the movie player component and the handlers.
class MainWindow {
public:
    // Builds the window and its controls; touches no handler yet. The dialogs are Qt's own, shown
    // over the window, unless `dialogs` answers them instead (tests).
    explicit MainWindow(std::unique_ptr<DialogRunner> dialogs = nullptr);
    ~MainWindow();

    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Runs Form_Load once, then shows the window; its first resize lays the controls out.
    void start();

    QWidget& window() { return *window_; }

private:
    void placeControls();
    void wireNotifications();
    void wireMovieOutput();

    // Declared first so that it goes last: it owns every widget the members below point to.
    std::unique_ptr<QWidget> window_;

    FailureReporter reporter_;
    NotificationDispatcher dispatcher_;

    QtForm form_;
    SwfPlayerWidget* swf1_;
    SwfPlayerWidget* swf2_;
    QtScrollBar hsc1_;
    QtScrollBar hsc2_;
    QtButton com2_;
    QtButton com1_;
    QtButton comP_;
    QtButton comColor_;
    QtSlider slider1_;
    QtTimer timer1_;
    QtTimer timer2_;
    QtTimer timer3_;
    std::unique_ptr<DialogRunner> dialogRunner_;
    QtCommonDialog dlg_;
    QtAppFolder appFolder_;

    FailureNotice* notice_;
    std::unique_ptr<DefaultButtonKey> enterPlays_;
    std::unique_ptr<Form1> form1_;
};

}  // namespace velmora
