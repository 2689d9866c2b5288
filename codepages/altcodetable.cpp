// SPDX-License-Identifier: GPL-3.0-or-later
#include "altcodetable.h"

#include <cstdio>

namespace codepages {

AltCodeEntry::AltCodeEntry(AltCode altCode) : code(std::to_string(altCode.code))
{
    char reference[sizeof "&#xFFFF;"];
    std::snprintf(reference, sizeof reference, "&#x%X;", static_cast<unsigned>(altCode.character));
    glyph = reference;
}

void AltCodeTable::build(const AltCode *codes, std::size_t count)
{
    if (m_length != 0)
        return;
    m_entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        m_entries.emplace_back(codes[i]);
    m_length = static_cast<int>(m_entries.size());
}

void AltCodeTable::release()
{
    // swap, not clear: the storage itself goes, not just the strings.
    std::vector<AltCodeEntry>().swap(m_entries);
}

} // namespace codepages
