#include "platform/player/desktop_lock_keys.h"

#include <QGuiApplication>

#include "swf/runtime/lock_keys.h"

#if VELMORA_X11_LOCK_KEYS
#include <QtGui/qguiapplication_platform.h>
// Last: Xlib's macros (None, Bool, FocusIn, ...) would clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace velmora {

namespace {

#if VELMORA_X11_LOCK_KEYS
Display* x11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// The lock keys as the server holds them: locked modifiers, Caps Lock as Lock and Num Lock as
// whichever modifier the keymap binds to it (Mod2 on most).
bool readX11LockKey(int code, bool& on) {
    Display* display = code == 20 || code == 144 ? x11Display() : nullptr;
    if (!display) return false;
    const unsigned mask = code == 20 ? LockMask : XkbKeysymToModifiers(display, XK_Num_Lock);
    XkbStateRec state;
    if (mask == 0 || XkbGetState(display, XkbUseCoreKbd, &state) != Success) return false;
    on = (state.locked_mods & mask) != 0;
    return true;
}
#endif

}  // namespace

void installDesktopLockKeys() {
#if VELMORA_X11_LOCK_KEYS
    if (x11Display()) swf::setLockKeyReader(readX11LockKey);
#endif
}

}  // namespace velmora
