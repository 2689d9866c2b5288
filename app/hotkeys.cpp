// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys.h"

#include <Qt>

namespace hotkeys {

HotkeyList buildHotkeyList()
{
    HotkeyList list;
    for (int number = 2; number <= 12; ++number)
        list.push_back({QStringLiteral("F%1").arg(number), number, Qt::Key_F1 + (number - 1)});
    return list;
}

const HotkeyEntry *findByName(const HotkeyList &list, const QString &name)
{
    for (const HotkeyEntry &entry : list) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

} // namespace hotkeys
