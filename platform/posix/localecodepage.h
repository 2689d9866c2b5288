// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../codepage.h"

#include <string_view>

namespace platform::posix {

/// The locale that decides the character set, in POSIX order: LC_ALL, else
/// LC_CTYPE, else LANG; an empty variable counts as unset. Null arguments are
/// unset variables. Returns "" when none is set.
std::string_view characterLocale(const char *lcAll, const char *lcCtype, const char *lang);

/// The OEM code page that Windows gives a user of the named locale, from a name of
/// the form language[_TERRITORY][.codeset][@modifier]. A locale it does not know,
/// "C" and "POSIX" among them, gets 437.
unsigned oemCodePageForLocale(std::string_view locale);

/// Linux has no OEM code page; the user's locale stands in for the Windows setting.
/// The name is parsed rather than passed to setlocale, because the locale need not
/// be installed for the user to want its characters.
class LocaleCodePage : public CodePageSource
{
public:
    unsigned oemCodePage() const override;
};

} // namespace platform::posix
