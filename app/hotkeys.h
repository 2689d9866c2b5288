// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <vector>

/// One key the user can choose to show and hide the panel.
struct HotkeyEntry
{
    QString name; ///< "F2" to "F12"
    int number;   ///< 2 to 12
    int qtKey;    ///< for the menu shortcut
};

using HotkeyList = std::vector<HotkeyEntry>;

namespace hotkeys {

inline const QString defaultHotkeyName = QStringLiteral("F8");

/// F2 to F12 in order. F1 is left out: applications keep it for their own help.
HotkeyList buildHotkeyList();

/// The entry named exactly so (case matters), or nullptr.
const HotkeyEntry *findByName(const HotkeyList &list, const QString &name);

} // namespace hotkeys
