// SPDX-License-Identifier: GPL-3.0-or-later
#include "codepageregistry.h"

namespace codepages {

namespace {

constexpr unsigned fallbackNumber = 437;

} // namespace

const CodePage *findCodePage(unsigned number)
{
    for (const CodePage &page : allCodePages()) {
        if (page.number == number)
            return &page;
    }
    return nullptr;
}

const CharacterPage *findCharacterPage(const char *key)
{
    for (const CharacterPage &page : allCharacterPages()) {
        if (std::strcmp(page.key, key) == 0)
            return &page;
    }
    return nullptr;
}

const CodePage &codePageOrFallback(unsigned number)
{
    const CodePage *page = findCodePage(number);
    return page ? *page : *findCodePage(fallbackNumber);
}

std::vector<AltCode> panelEntries(const CodePage &page)
{
    std::vector<AltCode> entries(commonEntries().begin(), commonEntries().end());
    entries.insert(entries.end(), page.entries.begin(), page.entries.end());
    return entries;
}

int altCode(const CodePage &page, char32_t character)
{
    for (const Entries entries : {commonEntries(), page.entries}) {
        for (const AltCode &entry : entries) {
            if (entry.character == character)
                return entry.code;
        }
    }
    return 0;
}

} // namespace codepages
