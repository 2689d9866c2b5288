// SPDX-License-Identifier: GPL-3.0-or-later
#include "../session.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

/// The user's runtime folder as the session names it. Taken as it is, even when
/// another user owns it: such a folder must refuse us, not be swapped silently for
/// one where a second Ondrel would start.
QString runtimeFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!QDir::isAbsolutePath(fromEnvironment))
        return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // A session may name a folder it has not made yet; it is made for this user
    // alone, as the XDG base directory rules want a runtime folder.
    if (!QFileInfo::exists(fromEnvironment) && QDir().mkpath(fromEnvironment))
        QFile::setPermissions(fromEnvironment,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return fromEnvironment;
}

/// The display's name in a form fit for a file name: ":0" gives "_0".
QString displayName()
{
    QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty())
        name = qEnvironmentVariable("DISPLAY");
    for (QChar &c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    }
    return name;
}

} // namespace

std::string sessionFile(const std::string &suffix)
{
    const QString base = runtimeFolder() + QLatin1String("/ondrel-") + displayName();
    return QFile::encodeName(base).toStdString() + suffix;
}

InstanceName instanceName()
{
    return {sessionFile(".lock"), sessionFile(".socket")};
}

} // namespace platform
