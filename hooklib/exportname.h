// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The X11 library must export its keyboard procedure as "_LowLevelKeyboardProc@12",
// the name Windows gives it. ELF linkers read an '@' in a symbol name as a symbol
// version and refuse it, so the library is linked with a stand-in name and the
// build renames the symbol in the finished file (tools/exportname.cpp).
//
// Renaming in place keeps the file's GNU hash table valid only if both names hash
// alike. The stand-in differs in two neighbouring characters chosen for that:
// "c@" becomes "ba", one less times 33 plus 33 more, which the hash cancels out.

#include "kestrine.h"

#include <cstdint>

namespace kestrine {

constexpr char KeyboardProcLinkName[] = "_LowLevelKeyboardProba12";

/// The hash of ELF's .gnu.hash section (Bernstein's, h * 33 + c).
constexpr std::uint32_t gnuHash(const char *name)
{
    std::uint32_t hash = 5381;
    for (; *name; ++name)
        hash = hash * 33 + static_cast<unsigned char>(*name);
    return hash;
}

static_assert(sizeof(KeyboardProcLinkName) == sizeof(KeyboardProcName),
              "the rename happens in place");
static_assert(gnuHash(KeyboardProcLinkName) == gnuHash(KeyboardProcName),
              "the rename must not move the symbol in the hash table");

} // namespace kestrine
