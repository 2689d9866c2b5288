// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/traycontroller.h"
#include "platform/services.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const auto services = platform::createNativeServices();
    int result = 0;
    {
        TrayController controller(*services);
        result = QApplication::exec();
    }
    return result;
}
