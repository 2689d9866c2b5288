// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace platform::x11 {

/// An X keysym; 0 is NoSymbol.
using Keysym = unsigned long;

/// The keysym that types a character: Latin-1 characters have keysyms of their
/// own value, every other character the Unicode keysym 0x01000000 + code point.
/// Control characters have none (0).
Keysym keysymForCharacter(char32_t character);

/// Whether a keycode's keysyms, as the server reports them, give keysym on every
/// level and group, so that neither a held Shift nor the active layout group
/// changes what the key types.
bool typesOnly(const std::vector<Keysym> &keysyms, Keysym keysym);

/// Decides which keycode types a keysym, from a copy of the server's keyboard map.
///
/// A keycode that already types the keysym on every level is used as it is. For any
/// other keysym one of the spare keycodes (those the map leaves empty) is bound to it,
/// the least recently used first: a client may read the keymap well after the key
/// event arrived, so a binding has to outlive its key press for a while, and reusing
/// the oldest one gives every binding the longest life the pool allows.
class KeycodePool
{
public:
    /// Takes in the map of keycodes first to first + count - 1, perKeycode keysyms
    /// each, as the server reports it. A keycode that still holds the keysym this
    /// pool bound it to stays bound; one that was emptied becomes spare again; one
    /// that someone else has filled is left alone from now on.
    void update(int first, int count, int perKeycode, const Keysym *keysyms);

    struct Assignment
    {
        int keycode = 0;   ///< 0 when no keycode can type the keysym
        bool bind = false; ///< the caller must bind keycode to the keysym first
    };

    /// The keycode to press for keysym, binding a spare one if needed.
    Assignment assign(Keysym keysym);

    /// The keycodes that hold a binding made by this pool.
    std::vector<int> boundKeycodes() const;

    /// The keycodes free for binding, bound or not.
    int spareCount() const;

private:
    struct Key
    {
        std::vector<Keysym> keysyms; // trailing NoSymbols removed
        bool spare = false;
        bool bound = false;
        std::uint64_t lastUse = 0;
    };

    std::map<int, Key> m_keys;
    std::uint64_t m_clock = 0;
};

} // namespace platform::x11
