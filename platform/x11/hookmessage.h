// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace platform::x11 {

/// Reads an xcb event: true, with the function key's number, when it is the hook
/// library's ClientMessage of the given type carrying the hotkey message. Events that other
/// clients sent with XSendEvent count too; the library sends it that way.
bool decodeHookClientMessage(const void *xcbEvent, std::uint32_t messageAtom, int &functionKey);

/// The key code that the hook library reads for an X keysym (it speaks Windows'
/// virtual keys), or 0 for keys it is not told about: only F1 to F24 are passed on.
unsigned virtualKeyForKeysym(unsigned long keysym);

} // namespace platform::x11
