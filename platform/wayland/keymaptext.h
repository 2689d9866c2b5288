// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::wayland {

/// One key of a keymap: the code a keyboard sends for it (a Linux input event code,
/// as wl_keyboard and the virtual keyboard carry it) and the keysym it types.
struct KeymapKey
{
    std::uint32_t evdevCode = 0;
    std::uint32_t keysym = 0;
};

/// The keysym that types a character: Latin-1 characters have keysyms of their own
/// value, every other character 0x01000000 + its code point. Control characters,
/// surrogates and values past U+10FFFF have none (0).
std::uint32_t keysymForCharacter(char32_t character);

/// Whether a keymap can carry keysym: XKB has a name for it that reads back as the
/// same keysym, and a Unicode keysym names a character. 0 (NoSymbol) cannot be
/// carried.
bool isTransportableKeysym(std::uint32_t keysym);

/// An XKB keymap in text format v1 in which every given key types its keysym on its
/// only level, whatever modifiers are down, and no key is a modifier. Keys with
/// keysym 0 are left out. Empty if a keysym cannot be carried or a code is outside
/// what XKB can name (0 to 247).
std::string keymapText(const std::vector<KeymapKey> &keys);

} // namespace platform::wayland
