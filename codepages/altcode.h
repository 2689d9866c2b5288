// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace codepages {

/// One Alt code the panel offers: the code typed on the keypad and the character it
/// gives. Every character of an OEM code page lies in the Basic Multilingual Plane.
struct AltCode
{
    unsigned char code;
    char16_t character;
};

} // namespace codepages
