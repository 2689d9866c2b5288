// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace codepages {

/// A code page the panel has a glyph table for, and the name its title shows.
struct SupportedCodePage
{
    unsigned number;
    const char *displayName;
};

/// The code page whose glyphs the panel shows for the system's OEM code page: that
/// code page when the panel has a table for it, 437 (the original PC character set)
/// for any other.
SupportedCodePage supportedCodePage(unsigned oemCodePage);

} // namespace codepages
