// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../keyboard.h"
#include "altcodecomposer.h"

#include <memory>

class QSocketNotifier;

namespace platform::x11 {

class XTestTyper;

/// X has no Alt codes: the panel's Alt + keypad sequence goes through a composer
/// that plays Windows' part, and the character it yields is typed with XTest.
class X11Keyboard : public Keyboard
{
public:
    explicit X11Keyboard(AltCodeComposer::Lookup lookup);
    ~X11Keyboard() override;

    /// PC keyboard scan codes (set 1), as Windows reports them, so the panel's
    /// calls are the same on every system.
    unsigned scanCode(unsigned virtualKey) const override;
    void sendKey(unsigned virtualKey, unsigned scanCode, unsigned flags) override;

private:
    AltCodeComposer m_composer;
    std::unique_ptr<XTestTyper> m_typer;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace platform::x11
