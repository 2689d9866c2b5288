// SPDX-License-Identifier: GPL-3.0-or-later
#include "codepagecharacters.h"

#include "table437.h"
#include "table850.h"
#include "table852.h"
#include "table855.h"
#include "table857.h"
#include "table860.h"
#include "table862.h"
#include "table863.h"
#include "table865.h"
#include "table866.h"
#include "tablecommon.h"

#include <algorithm>
#include <iterator>

namespace codepages {

namespace {

struct Codes
{
    const AltCode *begin;
    const AltCode *end;
};

template <std::size_t N> constexpr Codes codes(const AltCode (&table)[N])
{
    return {std::begin(table), std::end(table)};
}

Codes codePageCodes(unsigned codePage)
{
    switch (codePage) {
    case 850:
        return codes(table850);
    case 852:
        return codes(table852);
    case 855:
        return codes(table855);
    case 857:
        return codes(table857);
    case 860:
        return codes(table860);
    case 862:
        return codes(table862);
    case 863:
        return codes(table863);
    case 865:
        return codes(table865);
    case 866:
        return codes(table866);
    default:
        return codes(table437);
    }
}

} // namespace

char32_t panelCharacter(unsigned codePage, unsigned code)
{
    const Codes table = code < 128 ? codes(commonTable) : codePageCodes(codePage);
    const AltCode *found =
        std::lower_bound(table.begin, table.end, code,
                         [](const AltCode &entry, unsigned wanted) { return entry.code < wanted; });
    if (found == table.end || found->code != code)
        return 0;
    return found->character;
}

} // namespace codepages
