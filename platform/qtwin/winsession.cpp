// SPDX-License-Identifier: GPL-3.0-or-later
#include "../session.h"

#include <QDir>

#include <windows.h>

namespace platform {

namespace {

QString sessionName()
{
    // Session ids tell apart the users logged on at once, and the desktops of one
    // user on a terminal server.
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return QStringLiteral("ondrel-%1-%2")
        .arg(qEnvironmentVariable("USERNAME"))
        .arg(static_cast<unsigned long>(session));
}

} // namespace

std::string sessionFile(const std::string &suffix)
{
    return QDir::toNativeSeparators(QDir::tempPath() + QLatin1Char('/') + sessionName())
               .toStdString() +
           suffix;
}

InstanceName instanceName()
{
    return {sessionFile(".lock"), sessionName().toStdString()};
}

bool hasGraphicalSession()
{
    return true; // every interactive Windows session has a desktop
}

WindowSystem chooseWindowSystem(const std::string &)
{
    return {};
}

} // namespace platform
