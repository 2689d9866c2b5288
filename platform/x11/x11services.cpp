// SPDX-License-Identifier: GPL-3.0-or-later
#include "../services.h"
#include "codepages/codepagecharacters.h"
#include "localecodepage.h"
#include "unixsignalwatcher.h"
#include "x11hotkeyhook.h"
#include "x11keyboard.h"
#include "x11windowactivation.h"
#include "xdgautostart.h"

#include <QCoreApplication>
#include <QFile>

namespace platform {

namespace {

/// The hook library's folders: the program's own, then the installed private one.
std::vector<std::string> hookLibraryFolders()
{
    return {QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString(),
            ONDREL_HOOK_LIBRARY_DIR};
}

} // namespace

std::unique_ptr<Services> createNativeServices()
{
    auto services = std::make_unique<Services>();
    services->windowActivation = std::make_unique<x11::X11WindowActivation>();
    services->codePage = std::make_unique<x11::LocaleCodePage>();
    // The composer types what the panel shows, in the code page the panel shows.
    const unsigned codePage = services->codePage->oemCodePage();
    services->keyboard = std::make_unique<x11::X11Keyboard>(
        [codePage](unsigned code) { return codepages::panelCharacter(codePage, code); });
    services->hotkeyHook = std::make_unique<x11::X11HotkeyHook>(hookLibraryFolders());
    services->autorun = std::make_unique<x11::XdgAutostart>();
    services->termination = std::make_unique<x11::UnixSignalWatcher>();
    return services;
}

} // namespace platform
