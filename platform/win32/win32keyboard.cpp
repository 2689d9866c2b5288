// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32keyboard.h"

#include "win32error.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

bool Win32Keyboard::typeCharacter(unsigned, int code, char32_t)
{
    // Alt codes run from 1 to 255; anything else would compose some other character.
    if (code < 1 || code > 255) {
        m_errorString = "no Alt code " + std::to_string(code);
        return false;
    }
    std::vector<Key> keys = {{VK_MENU, false}};
    for (const char digit : std::to_string(code)) {
        const auto keypad = static_cast<unsigned short>(VK_NUMPAD0 + (digit - '0'));
        keys.push_back({keypad, false});
        keys.push_back({keypad, true});
    }
    keys.push_back({VK_MENU, true});
    return send(keys.data(), static_cast<unsigned>(keys.size()));
}

bool Win32Keyboard::typeBackspace()
{
    const Key keys[] = {{VK_BACK, false}, {VK_BACK, true}};
    return send(keys, 2);
}

bool Win32Keyboard::send(const Key *keys, unsigned count)
{
    std::vector<INPUT> inputs(count);
    for (unsigned i = 0; i < count; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i].virtualKey;
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(keys[i].virtualKey, MAPVK_VK_TO_VSC));
        // Never KEYEVENTF_EXTENDEDKEY: the keypad digits must stay keypad keys for
        // Windows to compose the Alt code.
        inputs[i].ki.dwFlags = keys[i].up ? KEYEVENTF_KEYUP : 0;
    }
    // All at once, so that no key of the user's comes between Alt and its digits.
    const UINT sent = SendInput(count, inputs.data(), sizeof(INPUT));
    if (sent == count) {
        m_errorString.clear();
        return true;
    }
    m_errorString = "SendInput: " + errorText(GetLastError());
    return false;
}

} // namespace platform::win32
