// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../codepage.h"

namespace platform::win32 {

/// Windows says which OEM code page the user's locale uses; Alt codes follow it.
class Win32CodePage : public CodePageSource
{
public:
    unsigned oemCodePage() const override;
};

} // namespace platform::win32
