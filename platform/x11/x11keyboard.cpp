// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11keyboard.h"

#include "keycodepool.h"
#include "platform/platformlog.h"
#include "platform/session.h"
#include "xtesttyper.h"

#include <QSocketNotifier>

#include <X11/keysym.h>

#include <cstdio>

namespace platform::x11 {

X11Keyboard::X11Keyboard() : m_typer(std::make_unique<XTestTyper>(sessionFile(".keycodes")))
{
    // The typer's own account of what went wrong, with the details only it knows
    // (the keysym, an application that did not answer in time).
    m_typer->setFailureReporter(
        [](const std::string &reason) { qCWarning(lcPlatform).noquote() << reason.c_str(); });
    if (!m_typer->isAvailable()) {
        m_errorString = "the X server cannot be reached, or it has no XTest extension";
        return;
    }
    // Keymap changes are read as they come, so that a layout switch between two
    // clicks does not leave the typer pressing a key that now types something else.
    m_notifier =
        std::make_unique<QSocketNotifier>(m_typer->connectionNumber(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { m_typer->processEvents(); });
}

X11Keyboard::~X11Keyboard() = default;

bool X11Keyboard::isAvailable() const
{
    return m_typer->isAvailable();
}

bool X11Keyboard::type(char32_t character)
{
    char what[16];
    std::snprintf(what, sizeof what, "U+%04X", static_cast<unsigned>(character));
    return typeKeysym(keysymForCharacter(character), what);
}

bool X11Keyboard::typeBackspace()
{
    return typeKeysym(XK_BackSpace, "Backspace");
}

bool X11Keyboard::typeKeysym(unsigned long keysym, const char *what)
{
    if (!m_typer->isAvailable())
        return false; // the reason was set at start
    if (keysym == 0) {
        m_errorString = std::string(what) + " has no keysym";
        return false;
    }
    if (!m_typer->type(keysym)) {
        m_errorString = std::string("no spare keycode to type ") + what;
        return false;
    }
    m_errorString.clear();
    return true;
}

} // namespace platform::x11
