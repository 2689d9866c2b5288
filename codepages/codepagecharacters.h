// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace codepages {

/// The character that typing Alt and the code on the keypad gives in an OEM code
/// page, as the panel shows it: codes 1-127 from the common table, 128-254 from the
/// code page's own table. Returns 0 for a code the panel does not offer (letters,
/// digits, space, 23, 255, the gaps of a code page). A code page without a table
/// of its own reads as 437, as everywhere else in the program.
char32_t panelCharacter(unsigned codePage, unsigned code);

} // namespace codepages
