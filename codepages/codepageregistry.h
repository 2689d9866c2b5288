// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every code page the panel offers, and what it shows for each. Plain C++, so that
// the Windows tests can read the same data.

#include <cstddef>
#include <cstring>
#include <vector>

namespace codepages {

/// One Alt code the panel offers: the code typed on the keypad and the character it
/// gives. Every character of an OEM code page lies in the Basic Multilingual Plane.
struct AltCode
{
    unsigned char code;
    char16_t character;
};

/// A read-only run of constant data.
template <typename T> class Span
{
public:
    constexpr Span(const T *data, std::size_t size) : m_data(data), m_size(size) {}
    constexpr const T *begin() const { return m_data; }
    constexpr const T *end() const { return m_data + m_size; }
    constexpr std::size_t size() const { return m_size; }
    constexpr const T &operator[](std::size_t index) const { return m_data[index]; }

private:
    const T *m_data;
    std::size_t m_size;
};

using Entries = Span<AltCode>;

/// An OEM code page: its number, the name the panel's title shows, and its glyphs
/// for codes 128-254 in ascending order of code.
struct CodePage
{
    unsigned number;
    const char *displayName;
    Entries entries;
};

/// A page of characters that have no Alt codes and are typed as themselves: the key
/// the settings store, the name the panel's title shows, and the characters in the
/// order of the cells.
struct CharacterPage
{
    const char *key;
    const char *displayName;
    Span<char16_t> characters;
};

/// The codes 1-127 that every OEM code page shares and that a keyboard cannot type
/// directly: the IBM PC graphics of the control codes and the ASCII punctuation.
Entries commonEntries();

/// Every code page, in ascending order of number.
Span<CodePage> allCodePages();

/// Every page of characters without Alt codes, in the order the settings list them.
Span<CharacterPage> allCharacterPages();

/// The page of characters with that key, or nullptr when there is none.
const CharacterPage *findCharacterPage(const char *key);

/// The code page of that number, or nullptr when there is none.
const CodePage *findCodePage(unsigned number);

/// The page the panel shows for a system's OEM code page: that page when there is
/// one, else 437, the original PC character set.
const CodePage &codePageOrFallback(unsigned number);

/// What the panel shows for a page, cell by cell: the common entries, then the
/// page's own.
std::vector<AltCode> panelEntries(const CodePage &page);

/// The Alt code that types the character on the page, among those the panel
/// offers; 0 when there is none.
int altCode(const CodePage &page, char32_t character);

} // namespace codepages
