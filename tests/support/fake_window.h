#pragma once

#include "fake_call_log.h"
#include "fake_controls.h"
#include "fake_movie_player.h"
#include "platform/core/failure.h"
#include "platform/core/failure_reporting.h"
#include "window/form1.h"

namespace velmora::testing {

// Records what the handlers report, as "<where>: <what>".
struct FakeFailureReporter : FailureReporting {
    void report(const std::string& where, const std::string& what) override { reports.push_back(where + ": " + what); }
    std::vector<std::string> reports;
};

// Every control of the main window as a fake, all logging to one FakeCallLog, in the state the
// toolkit creates them in.
struct FakeWindow {
    FakeCallLog log;
    FakeForm form{log};
    FakeMoviePlayer swf1{log, "swf1"};
    FakeMoviePlayer swf2{log, "swf2"};
    FakeScrollBar HSc1{log, "HSc1"};
    FakeScrollBar HSc2{log, "HSc2"};
    FakeButton Com1{log, "Com1", "字幕"};
    FakeButton Com2{log, "Com2", "声音"};
    FakeButton ComP{log, "ComP", "播放"};
    FakeButton ComColor{log, "ComColor", "底色"};
    FakeSlider Slider1{log};
    FakeTimer Timer1{log, "Timer1"};
    FakeTimer Timer2{log, "Timer2"};
    FakeTimer Timer3{log, "Timer3"};
    FakeDialog dlg{log};
    FakeAppFolder appFolder{log};
    FakeFailureReporter reporter;

    Form1Controls controls() {
        return Form1Controls{form, swf1, swf1, swf2, HSc1, HSc2, Com1, Com2, ComP, ComColor,
                             Slider1, Timer1, Timer2, Timer3, dlg, appFolder, reporter};
    }
};

// A main window on fakes, after start-up (Form_Load has run and the log is cleared).
struct LoadedWindow : FakeWindow {
    Form1 form1{controls()};
    LoadedWindow() {
        ComColor.backColor = 0x00C0FFFF;
        swf1.background = 0x00FFFFC0;
        form1.Form_Load();
        log.clear();
    }
};

}  // namespace velmora::testing
