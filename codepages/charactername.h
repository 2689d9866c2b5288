// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace codepages {

/// The character's Unicode name in capitals, as the Unicode character database
/// gives it ("LATIN CAPITAL LETTER C WITH CEDILLA"); empty when it has none.
std::string characterName(char32_t character);

} // namespace codepages
