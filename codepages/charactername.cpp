// SPDX-License-Identifier: GPL-3.0-or-later
#include "charactername.h"

#include <unicode/uchar.h>

namespace codepages {

std::string characterName(char32_t character)
{
    // The longest name in Unicode 15 has 88 characters.
    char buffer[128];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_charName(static_cast<UChar32>(character), U_UNICODE_CHAR_NAME, buffer,
                                      sizeof buffer, &status);
    if (U_FAILURE(status) || length <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

} // namespace codepages
