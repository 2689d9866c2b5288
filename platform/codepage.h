// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

/// Tells which DOS (OEM) code page the user's system uses for Alt codes.
class CodePageSource
{
public:
    virtual ~CodePageSource() = default;
    virtual unsigned oemCodePage() const = 0;
};

} // namespace platform
