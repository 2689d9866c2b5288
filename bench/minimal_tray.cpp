// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for Ondrel's start-up and memory: the least a Qt 6 tray program does.

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QSystemTrayIcon icon(QIcon(QStringLiteral(":/ondrel_icon.png")));
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &application, &QCoreApplication::quit);
    icon.setContextMenu(&menu);
    icon.show();
    return QApplication::exec();
}
