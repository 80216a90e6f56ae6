#pragma once

namespace velmora {

// Lets movies' Key.isToggled read Caps Lock and Num Lock from the desktop, where the platform
// tells them (X11, through the keyboard extension on Qt's own connection). Elsewhere, and on the
// offscreen platform, movies go by the lock-key presses they hear. Call once the application
// object exists; calling again does no harm.
void installDesktopLockKeys();

}  // namespace velmora
