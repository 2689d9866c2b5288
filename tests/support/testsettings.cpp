// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsettings.h"

#include "app/storedsettings.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

namespace testsupport {

namespace {
QTemporaryDir *configHome = nullptr;
}

void useTemporaryConfigHome()
{
    if (!configHome)
        configHome = new QTemporaryDir; // lives for the whole test process
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome->path()));
}

QString settingsFilePath()
{
    QSettings settings(storedsettings::organization, storedsettings::application);
    return settings.fileName();
}

void clearStoredSettings()
{
    QSettings settings(storedsettings::organization, storedsettings::application);
    settings.clear();
    settings.sync();
}

} // namespace testsupport
