#pragma once

#include <bitset>
#include <cstdint>

namespace velmora::swf {

// The keyboard as a movie's scripts see it (the Key object): which keys are down, by key code
// (the numbers the Windows players give keys: 37 the left arrow, 65 the A key, 16 Shift), and the
// last key pressed with the character it typed.
struct KeyboardState {
    std::bitset<256> down;
    uint16_t lastCode = 0;
    uint16_t lastAscii = 0;
    // Caps Lock and Num Lock as the player last heard them toggled.
    bool capsLock = false;
    bool numLock = false;
};

}  // namespace velmora::swf
