// SPDX-License-Identifier: GPL-3.0-or-later
#include "../posix/localecodepage.h"
#include "../posix/unixsignalwatcher.h"
#include "../services.h"
#include "../xdg/xdgautostart.h"
#include "x11hotkeyhook.h"
#include "x11keyboard.h"
#include "x11windowactivation.h"

#include "../session.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <unistd.h>

#include <xcb/xcb.h>

namespace platform {

namespace {

/// The folder of the running executable, as the kernel knows it; empty if it
/// cannot tell, and then the hook library is not looked for at all.
std::string executableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/'));
}

/// The hook library's folders: the program's own, then the installed private one,
/// found from the program's folder wherever the tree was installed.
std::vector<std::string> hookLibraryFolders()
{
    const std::string folder = executableFolder();
    if (folder.empty())
        return {};
    const QString installed = QDir::cleanPath(
        QFile::decodeName((folder + '/' + ONDREL_HOOK_LIBRARY_RELATIVE_DIR).c_str()));
    return {folder, QFile::encodeName(installed).toStdString()};
}

} // namespace

bool hasGraphicalSession()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    // A display that is named but cannot be reached aborts Qt all the same.
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

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
