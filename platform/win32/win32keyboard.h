// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../keyboard.h"

namespace platform::win32 {

/// Windows composes Alt codes itself: a character of the system's OEM code page is
/// typed as Alt held down while the code's digits go in on the numeric keypad. An
/// Alt code always means the system's page, so any other character is typed as
/// itself, as Unicode input. Plain Win32, no Qt.
class Win32Keyboard : public Keyboard
{
public:
    bool isAvailable() const override { return true; }
    bool type(char32_t character) override;
    bool typeBackspace() override;
    std::string errorString() const override { return m_errorString; }

private:
    bool typeAltCode(int code);
    bool typeUnicode(char32_t character);

    std::string m_errorString;
};

} // namespace platform::win32
