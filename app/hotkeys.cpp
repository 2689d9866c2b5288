// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys.h"

#include <Qt>

namespace hotkeys {

HotkeyList buildHotkeyList()
{
    constexpr int firstVirtualKey = 113; // VK_F2
    constexpr int lastVirtualKey = 123;  // VK_F12
    HotkeyList list;
    for (int code = firstVirtualKey; code <= lastVirtualKey; ++code)
        list.push_back(
            {QStringLiteral("F%1").arg(code - 111), code, Qt::Key_F2 + (code - firstVirtualKey)});
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
