// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../keyboard.h"

namespace platform::win32 {

/// Windows composes Alt codes itself, so the panel's keys go to it unchanged.
class Win32Keyboard : public Keyboard
{
public:
    unsigned scanCode(unsigned virtualKey) const override;
    void sendKey(unsigned virtualKey, unsigned scanCode, unsigned flags) override;
};

} // namespace platform::win32
