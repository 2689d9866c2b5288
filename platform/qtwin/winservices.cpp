// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows services: the Qt-free Win32 backends, the Run key through QSettings,
// and the end of the session through Qt's session management.

#include "../hookshowhidekey.h"
#include "../runkeyautorun.h"
#include "../services.h"
#include "../win32/win32codepage.h"
#include "../win32/win32hotkeyhook.h"
#include "../win32/win32keyboard.h"
#include "sessionendwatcher.h"
#include "winpanelwindow.h"

#include <QSettings>

namespace platform {

std::unique_ptr<Services> createNativeServices(const WindowSystem &)
{
    auto services = std::make_unique<Services>();
    services->keyboard = std::make_unique<win32::Win32Keyboard>();
    services->codePage = std::make_unique<win32::Win32CodePage>();
    services->showHideKey =
        std::make_unique<HookShowHideKey>(std::make_unique<win32::Win32HotkeyHook>());
    services->autorun = std::make_unique<RunKeyAutorun>(std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        QSettings::NativeFormat));
    services->termination = std::make_unique<qtwin::SessionEndWatcher>();
    services->panelWindow = std::make_unique<qtwin::WinPanelWindow>();
    return services;
}

} // namespace platform
