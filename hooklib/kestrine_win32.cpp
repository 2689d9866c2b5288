// SPDX-License-Identifier: GPL-3.0-or-later
// Kestrine.dll, the low-level keyboard hook for Windows. The program installs the
// procedure with SetWindowsHookExW(WH_KEYBOARD_LL); it posts message 5556 with the
// virtual key for every new press of F2 to F12 to the window given to setAppHwnd.
// The export names come from the .def files beside this one.

#include "kestrine.h"
#include "pressfilter.h"

#include <windows.h>

namespace {

HWND appWindow = nullptr;
kestrine::PressFilter presses;

} // namespace

extern "C" void setAppHwnd(HWND window)
{
    appWindow = window;
}

extern "C" LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && lParam != 0) {
        const auto *record = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
        if (presses.isNewPress(record->vkCode, kestrine::transitionOf(wParam)) && appWindow)
            PostMessageW(appWindow, kestrine::HotkeyMessage, record->vkCode, 0);
    }
    // Every key goes on to the other hooks and the focused application.
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
