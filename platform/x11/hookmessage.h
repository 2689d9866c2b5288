// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace platform::x11 {

/// Reads an xcb event: true, with the virtual key, when it is the hook library's
/// ClientMessage of the given type carrying the hotkey message. Events that other
/// clients sent with XSendEvent count too; the library sends it that way.
bool decodeHookClientMessage(const void *xcbEvent, std::uint32_t messageAtom, unsigned &virtualKey);

/// The Windows virtual key for an X keysym, or 0 for keys the hook library is not told
/// about. F1 to F24 are VK_F1 (0x70) to VK_F24 (0x87).
unsigned virtualKeyForKeysym(unsigned long keysym);

} // namespace platform::x11
