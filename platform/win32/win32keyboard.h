// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../keyboard.h"

namespace platform::win32 {

/// Windows composes Alt codes itself: a character is typed as Alt held down while
/// the code's digits go in on the numeric keypad. Plain Win32, no Qt.
class Win32Keyboard : public Keyboard
{
public:
    bool isAvailable() const override { return true; }
    bool typeCharacter(unsigned codePage, int code, char32_t character) override;
    bool typeBackspace() override;
    std::string errorString() const override { return m_errorString; }

private:
    struct Key
    {
        unsigned short virtualKey;
        bool up;
    };
    bool send(const Key *keys, unsigned count);

    std::string m_errorString;
};

} // namespace platform::win32
