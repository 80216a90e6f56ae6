#pragma once

namespace velmora::swf {

// The desktop's lock keys, for Key.isToggled. The desktop knows them from before a movie started
// and hears their presses in other windows; a movie hears only the presses made while it has the
// keyboard. The player component gives a reader where its platform can tell; without one, or
// when it cannot, movies go by the presses they heard.
//
// Reads Caps Lock (code 20) or Num Lock (144) into on; answers false when the desktop cannot tell.
// Called on the thread that runs the movies' scripts.
using LockKeyReader = bool (*)(int code, bool& on);

// Sets (or, with nullptr, removes) the process's reader.
void setLockKeyReader(LockKeyReader reader);

// Asks the reader: false without one, or when it cannot tell.
bool desktopLockKey(int code, bool& on);

}  // namespace velmora::swf
