// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32keyboard.h"

#include <windows.h>

namespace platform::win32 {

unsigned Win32Keyboard::scanCode(unsigned virtualKey) const
{
    return MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
}

void Win32Keyboard::sendKey(unsigned virtualKey, unsigned scanCode, unsigned flags)
{
    // Never KEYEVENTF_EXTENDEDKEY: the keypad digits must stay keypad keys for
    // Windows to compose the Alt code.
    keybd_event(static_cast<BYTE>(virtualKey), static_cast<BYTE>(scanCode),
                static_cast<DWORD>(flags), 0);
}

} // namespace platform::win32
