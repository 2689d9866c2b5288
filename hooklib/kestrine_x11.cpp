// SPDX-License-Identifier: GPL-3.0-or-later
// Kestrine for X11. The program watches the keyboard and calls the procedure below
// for every key event; the library reports new presses of F2 to F12 to the window
// given to setAppHwnd, as a ClientMessage over a display connection of its own.

#include "exportname.h"
#include "kestrine.h"
#include "pressfilter.h"

#include <X11/Xlib.h>

#define KESTRINE_EXPORT __attribute__((visibility("default")))

namespace {

Window appWindow = 0;
Display *display = nullptr;
Atom messageAtom = None;
kestrine::PressFilter presses;

/// The connection is opened on the first report, not at load: the program loads the
/// library before it knows whether the hook can be installed at all.
bool connectDisplay()
{
    if (display)
        return true;
    display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    messageAtom = XInternAtom(display, kestrine::MessageAtomName, False);
    return true;
}

void report(unsigned virtualKey)
{
    if (appWindow == 0 || !connectDisplay())
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = appWindow;
    event.xclient.message_type = messageAtom;
    event.xclient.format = 32;
    event.xclient.data.l[0] = kestrine::HotkeyMessage;
    event.xclient.data.l[1] = static_cast<long>(virtualKey);
    event.xclient.data.l[2] = 0; // the record LPARAM points to means nothing elsewhere
    // With no event mask the event goes to the client that created the window.
    XSendEvent(display, appWindow, False, NoEventMask, &event);
    XFlush(display);
}

__attribute__((destructor)) void disconnectDisplay()
{
    if (display)
        XCloseDisplay(display);
    display = nullptr;
}

} // namespace

extern "C" KESTRINE_EXPORT void setAppHwnd(std::uintptr_t window)
{
    appWindow = static_cast<Window>(window);
}

// Linked under the stand-in of exportname.h; the build gives it its Windows name.
extern "C" KESTRINE_EXPORT std::intptr_t
LowLevelKeyboardProc(int code, std::uintptr_t wParam,
                     std::intptr_t lParam) __asm__("_LowLevelKeyboardProba12");

extern "C" std::intptr_t LowLevelKeyboardProc(int code, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (code == kestrine::HcAction && lParam != 0) {
        const auto *record = reinterpret_cast<const kestrine::KeyRecord *>(lParam);
        if (presses.isNewPress(record->vkCode, kestrine::transitionOf(wParam)))
            report(record->vkCode);
    }
    // Every key goes on; there is no further hook to hand it to on X11.
    return 0;
}
