// SPDX-License-Identifier: GPL-3.0-or-later
#include "altkeys.h"

#include "platform/keyboard.h"

#include <algorithm>

namespace alttyping {

namespace {

void tap(platform::Keyboard &keyboard, unsigned virtualKey)
{
    const unsigned scanCode = keyboard.scanCode(virtualKey);
    keyboard.sendKey(virtualKey, scanCode, 0);
    keyboard.sendKey(virtualKey, scanCode, platform::vk::KeyUpFlag);
}

bool isDecimalDigit(char character)
{
    return character >= '0' && character <= '9';
}

} // namespace

void typeAltCodeDigits(platform::Keyboard &keyboard, std::string_view digits)
{
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDecimalDigit))
        return;
    const unsigned altScanCode = keyboard.scanCode(platform::vk::Menu);
    keyboard.sendKey(platform::vk::Menu, altScanCode, 0);
    for (const char digit : digits)
        tap(keyboard, platform::vk::Numpad0 + static_cast<unsigned>(digit - '0'));
    keyboard.sendKey(platform::vk::Menu, altScanCode, platform::vk::KeyUpFlag);
}

void typeBackspace(platform::Keyboard &keyboard)
{
    tap(keyboard, platform::vk::Back);
}

} // namespace alttyping
