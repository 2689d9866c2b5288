// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../autorun.h"

#include <QString>

namespace platform::xdg {

/// Starting with the desktop session through an XDG autostart entry,
/// $XDG_CONFIG_HOME/autostart/Ondrel.desktop, whose Exec starts the executable.
class XdgAutostart : public Autorun
{
public:
    /// True when the entry exists, is not hidden and its Exec starts exactly this
    /// executable; an entry for another copy of the program counts as off.
    bool isEnabled(const std::string &executablePath) const override;
    /// Writes the entry whole or not at all, or removes it.
    bool setEnabled(const std::string &executablePath, bool enabled) override;
    std::string errorString() const override { return m_errorString; }

    /// Where the entry lives, as the environment names it now.
    static QString entryPath();
    /// The entry's text for an executable.
    static QByteArray entryText(const QString &executablePath);

private:
    bool fail(const QString &reason);

    std::string m_errorString;
};

} // namespace platform::xdg
