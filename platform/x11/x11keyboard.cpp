// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11keyboard.h"

#include "xtesttyper.h"

#include <QSocketNotifier>

#include <X11/keysym.h>

#include <utility>

namespace platform::x11 {

X11Keyboard::X11Keyboard(AltCodeComposer::Lookup lookup)
    : m_composer(std::move(lookup)), m_typer(std::make_unique<XTestTyper>())
{
    if (!m_typer->isAvailable())
        return;
    // Keymap changes are read as they come, so that a layout switch between two
    // clicks does not leave the typer pressing a key that now types something else.
    m_notifier =
        std::make_unique<QSocketNotifier>(m_typer->connectionNumber(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { m_typer->processEvents(); });
}

X11Keyboard::~X11Keyboard() = default;

unsigned X11Keyboard::scanCode(unsigned virtualKey) const
{
    return pcScanCode(virtualKey);
}

void X11Keyboard::sendKey(unsigned virtualKey, unsigned, unsigned flags)
{
    const Keystroke keystroke =
        m_composer.keyEvent(virtualKey, (flags & vk::KeyUpFlag) == vk::KeyUpFlag);
    switch (keystroke.kind) {
    case Keystroke::Kind::Character:
        m_typer->type(keysymForCharacter(keystroke.character));
        break;
    case Keystroke::Kind::BackSpace:
        m_typer->type(XK_BackSpace);
        break;
    case Keystroke::Kind::None:
        break;
    }
}

} // namespace platform::x11
