// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32codepage.h"

#include <windows.h>

namespace platform::win32 {

unsigned Win32CodePage::oemCodePage() const
{
    return GetOEMCP();
}

} // namespace platform::win32
