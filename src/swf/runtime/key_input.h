#pragma once

#include <cstdint>

namespace velmora::swf {

class MovieInstance;

// Key codes as the format's key-press conditions carry them: 1 left, 2 right, 3 home, 4 end,
// 5 insert, 6 delete, 8 backspace, 13 enter, 14 up, 15 down, 16 page up, 17 page down, 18 tab,
// 19 escape; 32 to 126 the printable ASCII characters themselves.
enum SwfKey : uint8_t {
    kSwfKeyLeft = 1,
    kSwfKeyRight = 2,
    kSwfKeyHome = 3,
    kSwfKeyEnd = 4,
    kSwfKeyInsert = 5,
    kSwfKeyDelete = 6,
    kSwfKeyBackspace = 8,
    kSwfKeyEnter = 13,
    kSwfKeyUp = 14,
    kSwfKeyDown = 15,
    kSwfKeyPageUp = 16,
    kSwfKeyPageDown = 17,
    kSwfKeyTab = 18,
    kSwfKeyEscape = 19,
};

// A key as scripts see it (Key.getCode, Key.getAscii): its key code as the Windows players number
// keys (37 the left arrow, 65 the A key, 16 Shift, 20 Caps Lock) and the character it typed (0 for
// none).
struct KeyStroke {
    uint16_t code = 0;
    uint16_t ascii = 0;
};

// The stroke a format key code stands for (a printable character gives its key on a US keyboard);
// {0, 0} for 0.
KeyStroke strokeOf(uint8_t swfKey);

// A key went down: the actions of every button on stage that waits for this key, the clips'
// on (keyPress "...") handlers for it, and every clip's keyDown handler, then the scripts run.
// Returns whether the movie had a use for this very key (a button or a keyPress handler), so
// that a view can let other keys go on to the window.
// Then the Key object's listeners hear onKeyDown. stroke says what Key.getCode and Key.getAscii
// answer; without it, what swfKey stands for.
// Enter and Space then press the focused button, or clip in the role of one (as a press of the
// mouse on it), and count as used; their release is the click (see releaseKey).
bool pressKey(MovieInstance& movie, uint8_t swfKey);
bool pressKey(MovieInstance& movie, uint8_t swfKey, KeyStroke stroke);

// A key came up: every clip's keyUp handler, then the Key listeners' onKeyUp, then, for the key
// that pressed the focused button, its release. Without a stroke, every key counts as up (the
// movie cannot know which one it was).
void releaseKey(MovieInstance& movie);
void releaseKey(MovieInstance& movie, KeyStroke stroke);

}  // namespace velmora::swf
