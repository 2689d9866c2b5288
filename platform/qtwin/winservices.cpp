// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows services: the Qt-free Win32 backends, the Run key through QSettings,
// and the end of the session through Qt's session management.

#include "../hookshowhidekey.h"
#include "../managedpanelwindowing.h"
#include "../runkeyautorun.h"
#include "../services.h"
#include "../win32/win32codepage.h"
#include "../win32/win32hotkeyhook.h"
#include "../win32/win32keyboard.h"
#include "../win32/win32windowactivation.h"
#include "sessionendwatcher.h"

#include <QSettings>
#include <QWidget>
#include <QWindow>

namespace platform {

namespace {

/// Shown with SW_SHOWNOACTIVATE, so that showing the panel leaves the foreground
/// where it is; the style and the answer to WM_MOUSEACTIVATE do so for clicks.
class WinPanelWindowing : public ManagedPanelWindowing
{
public:
    bool adopt(QWidget &window) override
    {
        window.setAttribute(Qt::WA_ShowWithoutActivating);
        // Qt hands the attribute to the native window only when it creates one, and
        // the panel's exists already: the property is what Qt's Windows plugin reads.
        if (QWindow *handle = window.windowHandle())
            handle->setProperty("_q_showWithoutActivating", true);
        return true;
    }
};

} // namespace

std::unique_ptr<Services> createNativeServices(const WindowSystem &)
{
    auto services = std::make_unique<Services>();
    services->windowActivation = std::make_unique<win32::Win32WindowActivation>();
    services->keyboard = std::make_unique<win32::Win32Keyboard>();
    services->codePage = std::make_unique<win32::Win32CodePage>();
    services->showHideKey =
        std::make_unique<HookShowHideKey>(std::make_unique<win32::Win32HotkeyHook>());
    services->autorun = std::make_unique<RunKeyAutorun>(std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        QSettings::NativeFormat));
    services->termination = std::make_unique<qtwin::SessionEndWatcher>();
    services->panelWindowing = std::make_unique<WinPanelWindowing>();
    return services;
}

} // namespace platform
