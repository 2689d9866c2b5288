// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for Ondrel's start-up and memory: the least a Qt 6 tray program does.
// Given --balloon, it also shows a start-up balloon as Ondrel does, whose text is
// what first loads the fonts.

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
    if (QCoreApplication::arguments().contains(QStringLiteral("--balloon")))
        icon.showMessage(QString(), QStringLiteral("Ondrel (<F8>)"), QSystemTrayIcon::Information,
                         10000);
    return QApplication::exec();
}
