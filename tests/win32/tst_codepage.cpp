// SPDX-License-Identifier: GPL-3.0-or-later
// The OEM code page that Windows reports for a locale, and the glyph table the
// panel picks for it. Run once per locale: tst_codepage <locale>, with LANG set to
// that locale.

#include "check.h"
#include "codepages/codepageregistry.h"
#include "platform/win32/win32codepage.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

struct LocaleCase
{
    const char *locale;
    unsigned oemCodePage;
    const char *panelDisplayName;
};

const LocaleCase localeCases[] = {
    {"en_US", 437, "Code Page 437 LatinUS"},
    {"ru_RU", 866, "Code Page 866 Cyrillic"},
    {"he_IL", 862, "Code Page 862 Hebrew"},
    {"tr_TR", 857, "Code Page 857 Turkish"},
    {"de_DE", 850, "Code Page 850 Latin1 Western European"},
    // Greek has a code page of its own that the panel has no table for.
    {"el_GR", 737, "Code Page 437 LatinUS"},
};

} // namespace

int main(int argc, char **argv)
{
    wintest::Checks checks;
    const LocaleCase *found = nullptr;
    for (const LocaleCase &c : localeCases) {
        if (argc == 2 && std::strcmp(argv[1], c.locale) == 0)
            found = &c;
    }
    if (!checks.check(found != nullptr, "the locale to check is one of the known ones"))
        return checks.finish();

    const std::string locale = found->locale;
    const unsigned codePage = platform::win32::Win32CodePage().oemCodePage();
    checks.equal(codePage, found->oemCodePage, locale + ": OEM code page");
    checks.equal(codePage, static_cast<unsigned>(GetOEMCP()), locale + ": it is GetOEMCP's");
    const codepages::CodePage &chosen = codepages::codePageOrFallback(codePage);
    checks.equal(std::string(chosen.displayName), std::string(found->panelDisplayName),
                 locale + ": the panel's code page");
    return checks.finish();
}
