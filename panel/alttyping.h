// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {
class Keyboard;
}

/// The key sequences that the panel's labels type.
namespace alttyping {

/// Holds Alt down, types the code's digits on the numeric keypad and lets Alt go,
/// so that the system composes the character of that code. Sends nothing at all
/// for a code that is empty or holds anything but decimal digits: the digits that
/// remain would compose some other character.
void typeAltCode(platform::Keyboard &keyboard, const QString &digits);

/// Presses and releases Backspace.
void typeBackspace(platform::Keyboard &keyboard);

} // namespace alttyping
