// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32keyboard.h"

#include "win32error.h"

#include "codepages/codepageregistry.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

namespace {

INPUT virtualKey(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    // Never KEYEVENTF_EXTENDEDKEY: the keypad digits must stay keypad keys for
    // Windows to compose the Alt code.
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT unicodeUnit(WORD unit, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

/// Sends the events all at once, so that no key of the user's comes in between.
bool send(std::vector<INPUT> inputs, std::string &errorString)
{
    const auto count = static_cast<UINT>(inputs.size());
    if (SendInput(count, inputs.data(), sizeof(INPUT)) == count) {
        errorString.clear();
        return true;
    }
    errorString = "SendInput: " + errorText(GetLastError());
    return false;
}

} // namespace

bool Win32Keyboard::type(char32_t character)
{
    const codepages::CodePage *systemPage = codepages::findCodePage(GetOEMCP());
    const int code = systemPage ? codepages::altCode(*systemPage, character) : 0;
    if (code != 0)
        return typeAltCode(code);
    return typeUnicode(character);
}

bool Win32Keyboard::typeAltCode(int code)
{
    // Alt codes run from 1 to 255; anything else would compose some other character.
    if (code < 1 || code > 255) {
        m_errorString = "no Alt code " + std::to_string(code);
        return false;
    }
    std::vector<INPUT> inputs = {virtualKey(VK_MENU, false)};
    for (const char digit : std::to_string(code)) {
        const auto keypad = static_cast<WORD>(VK_NUMPAD0 + (digit - '0'));
        inputs.push_back(virtualKey(keypad, false));
        inputs.push_back(virtualKey(keypad, true));
    }
    inputs.push_back(virtualKey(VK_MENU, true));
    return send(inputs, m_errorString);
}

bool Win32Keyboard::typeUnicode(char32_t character)
{
    // Typed text may hold these two; applications take them as keys, not as
    // characters that arrive on their own.
    if (character == U'\t')
        return send({virtualKey(VK_TAB, false), virtualKey(VK_TAB, true)}, m_errorString);
    if (character == U'\n')
        return send({virtualKey(VK_RETURN, false), virtualKey(VK_RETURN, true)}, m_errorString);
    if (character == 0 || character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)) {
        m_errorString = "no character to type";
        return false;
    }
    std::vector<WORD> units;
    if (character < 0x10000) {
        units.push_back(static_cast<WORD>(character));
    } else {
        units.push_back(static_cast<WORD>(0xD800 + ((character - 0x10000) >> 10)));
        units.push_back(static_cast<WORD>(0xDC00 + ((character - 0x10000) & 0x3FF)));
    }
    std::vector<INPUT> inputs;
    for (const WORD unit : units)
        inputs.push_back(unicodeUnit(unit, false));
    for (const WORD unit : units)
        inputs.push_back(unicodeUnit(unit, true));
    return send(inputs, m_errorString);
}

bool Win32Keyboard::typeBackspace()
{
    return send({virtualKey(VK_BACK, false), virtualKey(VK_BACK, true)}, m_errorString);
}

} // namespace platform::win32
