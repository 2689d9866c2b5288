// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The key sequences that the panel's labels type, in plain C++ so that the Windows
// tests can drive the very same sequences through the Windows keyboard.

#include <string_view>

namespace platform {
class Keyboard;
}

namespace alttyping {

/// Holds Alt down, types the code's digits on the numeric keypad and lets Alt go,
/// so that the system composes the character of that code. Sends nothing at all
/// for a code that is empty or holds anything but the ASCII digits 0-9: the digits
/// that remain would compose some other character.
void typeAltCodeDigits(platform::Keyboard &keyboard, std::string_view digits);

/// Presses and releases Backspace.
void typeBackspace(platform::Keyboard &keyboard);

} // namespace alttyping
