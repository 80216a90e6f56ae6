#pragma once

#include <cstdint>

#include "platform/core/controls.h"
#include "platform/core/failure_reporting.h"
#include "platform/core/movie_player.h"
#include "platform/core/variant_index.h"
#include "playlist/playlist.h"

namespace velmora {

// Every control the main window's handlers drive. The window that builds the real widgets (or a
// test that builds fakes) owns them; each must outlive the Form1 that is given them.
struct Form1Controls {
    FormControl& form;
    MoviePlayer& swf1;         // the subtitle movie
    MovieAreaControl& swf1Area;  // swf1 as a placed control: the area that grows with the window
    MoviePlayer& swf2;         // the sound movie
    ScrollBarControl& HSc1;    // subtitle movie progress
    ScrollBarControl& HSc2;    // sound movie progress
    ButtonControl& Com1;       // open subtitle movies
    ButtonControl& Com2;       // open sound movies
    ButtonControl& ComP;       // play and pause
    ButtonControl& ComColor;   // subtitle background colour
    SliderControl& Slider1;    // subtitle speed
    TimerControl& Timer1;      // position tracking and playlist advance, every 300 ms
    TimerControl& Timer2;      // forward stepping of the subtitle movie
    TimerControl& Timer3;      // backward stepping of the subtitle movie
    CommonDialogControl& dlg;  // file-open and colour dialog
    const AppFolder& appFolder;
    FailureReporting& reporter;  // failures a handler goes on past but must not hide
};

// The two values the handlers write to Form1State::isPlaying.
inline constexpr int16_t kPlaying = -1;
inline constexpr int16_t kPaused = 0;

// The five variables the handlers share; nothing else keeps state.
struct Form1State {
    // -1 while playing, 0 while paused. Only -1 counts as playing for play/pause and seeking; the
    // position timer treats every non-zero value as playing.
    int16_t isPlaying = 0;
    // Playlists, lower bound 0: entries 1..upper bound are full movie paths; entry 0 is the chosen
    // folder (or empty) and is never loaded. Empty (no array at all) until Form_Load.
    Playlist subtitleFiles;
    Playlist soundFiles;
    // No value until the first subtitle Open; adding 1 never fails.
    VariantIndex subtitleIndex;
    // 16-bit: adding 1 at 32767 is an overflow failure.
    int16_t soundIndex = 0;
};

// The main window's behaviour: one member per control notification, named after the control and
// the notification, plus the two loading procedures and the three colour functions.
//
// The toolkit calls each handler on the user-interface thread, one at a time. A handler that
// stops at its first failing step lets the Failure propagate to the caller, which reports it and
// keeps the program running; Com2_Click, ComP_Click, HSc2_Scroll and Timer1_Timer go on past
// failing steps and never throw a Failure.
//
// Creating a Form1 touches no control; the toolkit then calls Form_Load once before the window is
// first shown, and Form_Resize on the first showing and on every change of size.
class Form1 {
public:
    explicit Form1(const Form1Controls& controls);

    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Start-up: paused, Timer1 every 300 ms, bar and slider steps, slider range -80..100 at 0, both
    // playlists reset to one empty entry.
    void Form_Load();
    // Lays the movie area and the bottom band of controls out from the window's outer size.
    void Form_Resize();

    // Open subtitle movies (stops at the first failure) and sound movies (goes on past failures).
    void Com1_Click();
    void Com2_Click();
    // Play or pause both movies together.
    void ComP_Click();
    // Choose the subtitle movie's background colour.
    void ComColor_Click();

    // The user dragged a progress bar's thumb.
    void HSc1_Scroll();
    void HSc2_Scroll();
    // The user moved the speed slider.
    void Slider1_Scroll();

    // Position tracking and playlist advance.
    void Timer1_Timer();
    // One frame forward / back on the subtitle movie.
    void Timer2_Timer();
    void Timer3_Timer();

    // Loads entry `index` of a playlist into its player, sets the progress maximum and starts it.
    // Stops at the first failure and lets it propagate. When `reportFrom` names the calling
    // handler (one that goes on past the failure), a movie that cannot be loaded is also reported
    // under that name, so that it does not pass unseen.
    void LoadSubtitleEntry(int16_t index, const char* reportFrom = nullptr);
    void LoadSoundEntry(int16_t index, const char* reportFrom = nullptr);

    // Colour bytes of a toolkit colour 0x00BBGGRR. Division truncates toward zero, so a negative
    // argument does not behave like a shift (GetGreen(-1) is 0).
    static int32_t GetRed(int32_t value);
    static int32_t GetGreen(int32_t value);
    static int32_t GetBlue(int32_t value);

    // The shared variables, for the toolkit's display and for tests.
    const Form1State& state() const { return state_; }
    Form1State& state() { return state_; }

private:
    struct OpenSide;
    void OpenPlaylist(const OpenSide& side);
    // Puts `path` into the subtitle or the sound player (`sound`). When that fails and
    // `reportFrom` names the handler, the failure is reported through c_.reporter, saying which
    // movie and which file, before it propagates as before.
    void PutMovie(bool sound, const std::string& path, const char* reportFrom);

    const Form1Controls c_;
    Form1State state_;
};

}  // namespace velmora
