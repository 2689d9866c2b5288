// SPDX-License-Identifier: GPL-3.0-or-later
#include "../posix/localecodepage.h"
#include "../posix/unixsignalwatcher.h"
#include "../services.h"
#include "../xdg/xdgautostart.h"
#include "x11hotkeyhook.h"
#include "x11keyboard.h"
#include "x11windowactivation.h"

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
    services->codePage = std::make_unique<posix::LocaleCodePage>();
    services->keyboard = std::make_unique<x11::X11Keyboard>();
    services->hotkeyHook = std::make_unique<x11::X11HotkeyHook>(hookLibraryFolders());
    services->autorun = std::make_unique<xdg::XdgAutostart>();
    services->termination = std::make_unique<posix::UnixSignalWatcher>();
    return services;
}

} // namespace platform
