// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "altcode.h"

#include <cstddef>
#include <string>
#include <vector>

namespace codepages {

/// One glyph-table entry in the form a panel label needs: the keypad digits without
/// leading zeros ("1" to "254") and the character as an HTML hexadecimal character
/// reference in upper case without padding ("&#x263A;", "&#xC7;").
struct AltCodeEntry
{
    explicit AltCodeEntry(AltCode altCode);

    std::string code;
    std::string glyph;
};

/// The entries of one glyph table, in ascending order of code. A table is built at
/// most once: its entries are needed only while the labels get their texts, so they
/// are released right after, but the table keeps its length, because the code page's
/// labels start after the common ones, and building it again must stay a no-op.
class AltCodeTable
{
public:
    /// Fills an empty table from constant data; does nothing once the table has a
    /// length, released or not.
    template <std::size_t N> void build(const AltCode (&codes)[N]) { build(codes, N); }
    void build(const AltCode *codes, std::size_t count);

    /// Frees the entries; the length stays.
    void release();

    /// The number of entries the table was built with; 0 until it is built.
    int length() const { return m_length; }
    bool isReleased() const { return m_length != 0 && m_entries.empty(); }
    /// The entries; empty before building and after release.
    const std::vector<AltCodeEntry> &entries() const { return m_entries; }

private:
    std::vector<AltCodeEntry> m_entries;
    int m_length = 0;
};

} // namespace codepages
