// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace testsupport {

/// The one widget of type T that exists, as the user finds it on the screen; null
/// when there is none or more than one.
template <typename T> T *onlyWidget()
{
    T *found = nullptr;
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *candidate = qobject_cast<T *>(widget)) {
            if (found)
                return nullptr;
            found = candidate;
        }
    }
    return found;
}

/// The program's icon in the tray, whichever of its windows holds it.
inline QSystemTrayIcon *trayIcon()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *icon = window->findChild<QSystemTrayIcon *>())
            return icon;
    return nullptr;
}

/// The entry of the tray icon's menu that reads text; null if there is none.
inline QAction *trayMenuEntry(const QString &text)
{
    QSystemTrayIcon *icon = trayIcon();
    if (!icon || !icon->contextMenu())
        return nullptr;
    for (QAction *action : icon->contextMenu()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace testsupport
