// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../keyboard.h"

#include <memory>

class QSocketNotifier;

namespace platform::x11 {

class XTestTyper;

/// Types a character's own keysym through XTest, whatever the code page: X needs no
/// Alt codes to type any character.
class X11Keyboard : public Keyboard
{
public:
    X11Keyboard();
    ~X11Keyboard() override;

    bool isAvailable() const override;
    bool type(char32_t character) override;
    bool typeBackspace() override;
    std::string errorString() const override { return m_errorString; }

private:
    bool typeKeysym(unsigned long keysym, const char *what);

    std::unique_ptr<XTestTyper> m_typer;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::string m_errorString;
};

} // namespace platform::x11
