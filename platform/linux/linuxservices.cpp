// SPDX-License-Identifier: GPL-3.0-or-later
// The composition root on Linux: X11, or a Wayland compositor, chosen at start.
#include "../hookshowhidekey.h"
#include "../ibus/engineswitch.h"
#include "../ibus/ibuskeyboard.h"
#include "../ibus/ibusloader.h"
#include "../managedpanelwindow.h"
#include "../posix/localecodepage.h"
#include "../posix/unixsignalwatcher.h"
#include "../services.h"
#include "../session.h"
#include "../x11/x11focus.h"
#include "../x11/x11hotkeyhook.h"
#include "../x11/x11keyboard.h"
#include "../x11/x11panelwindow.h"
#include "../xdg/xdgautostart.h"
#include "platform/platformlog.h"

#ifdef ONDREL_WITH_WAYLAND
#include "../wayland/waylandprobe.h"
#include "../wayland/waylandservices.h"
#endif

#include <QCoreApplication>
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

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

std::string notice(const char *text)
{
    return QCoreApplication::translate("WindowSystem", text).toStdString();
}

const char *const x11Only = QT_TRANSLATE_NOOP(
    "WindowSystem",
    "On this desktop Ondrel can type only into X11 applications. Right-click a character "
    "to copy it.");
const char *const noTyping = QT_TRANSLATE_NOOP(
    "WindowSystem", "Ondrel cannot type on this desktop. Right-click a character to copy it.");
const char *const throughIBus = QT_TRANSLATE_NOOP(
    "WindowSystem",
    "On this desktop Ondrel types through IBus, into applications that take text from an "
    "input method (most do). Right-click a character to copy it.");

/// Where the compositor lets no client type (GNOME, KDE), IBus can: it commits text
/// into every native application that takes text from an input method. fallback
/// types where the focused application takes none, and, with xtestFallback,
/// wherever an X11 application has the focus. Returns fallback alone where IBus is not there;
/// otherwise sets message to say that IBus types.
std::unique_ptr<Keyboard> inputMethodKeyboard(std::unique_ptr<Keyboard> fallback,
                                              std::string &message, bool xtestFallback)
{
    auto engines = ibus::openEngineSwitch(hookLibraryFolders());
    if (!engines)
        return fallback;
    qCInfo(lcPlatform) << "Typing through IBus";
    message = notice(throughIBus);
    std::function<bool()> x11HasFocus;
    if (xtestFallback) {
        auto focus = std::make_shared<x11::X11Focus>();
        x11HasFocus = [focus] { return focus->isOnClient(); };
    }
    return std::make_unique<ibus::IBusKeyboard>(std::move(engines), std::move(fallback),
                                                sessionFile(".ibus-engine"),
                                                std::move(x11HasFocus));
}

/// A Wayland session whose compositor offers what Ondrel needs: a virtual keyboard
/// it accepts, and layer-shell surfaces.
bool compositorLetsPanelFloatAndType()
{
#ifdef ONDREL_WITH_WAYLAND
    const wayland::WaylandOffer offer = wayland::probeWaylandSession(true);
    qCInfo(lcPlatform) << "Wayland compositor: virtual keyboard" << offer.virtualKeyboard
                       << "accepted" << offer.virtualKeyboardAccepted << "layer shell"
                       << offer.layerShell;
    return offer.canTypeAndFloat() && offer.virtualKeyboardAccepted;
#else
    qCInfo(lcPlatform) << "Built without Wayland support";
    return false;
#endif
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

WindowSystem chooseWindowSystem(const std::string &platform)
{
    using Kind = WindowSystem::Kind;
    const bool waylandNamed = platform.rfind("wayland", 0) == 0;
    if (!platform.empty() && !waylandNamed)
        return {Kind::Native, {}}; // xcb, or a test's offscreen platform
    if (!waylandNamed && !isWaylandSession())
        return {Kind::Native, {}};
    if (compositorLetsPanelFloatAndType()) {
        qputenv("QT_QPA_PLATFORM", "wayland");
        return {Kind::Wayland, {}};
    }
    if (!waylandNamed && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        // XWayland: XTest and the key watcher reach the X11 applications.
        qputenv("QT_QPA_PLATFORM", "xcb");
        return {Kind::Native, notice(x11Only)};
    }
    qputenv("QT_QPA_PLATFORM", "wayland");
    return {Kind::WaylandWithoutTyping, notice(noTyping)};
}

std::unique_ptr<Services> createNativeServices(const WindowSystem &system)
{
    auto services = std::make_unique<Services>();
    services->codePage = std::make_unique<posix::LocaleCodePage>();
    services->autorun = std::make_unique<xdg::XdgAutostart>();
    services->termination = std::make_unique<posix::UnixSignalWatcher>();
    services->notice = system.notice;
#ifdef ONDREL_WITH_WAYLAND
    if (system.kind == WindowSystem::Kind::Wayland) {
        services->keyboard = std::make_unique<wayland::WaylandKeyboard>();
        services->showHideKey = std::make_unique<wayland::CompositorBoundKey>();
        services->panelWindow = std::make_unique<wayland::LayerShellPanelWindow>();
        services->trayMenuInPanel = true;
        // The probe's keyboard was taken, yet this one may not be: Qt runs on
        // Wayland by now, so the user at least learns that copying is what is left.
        if (!services->keyboard->isAvailable())
            services->notice = notice(noTyping);
        return services;
    }
    if (system.kind == WindowSystem::Kind::WaylandWithoutTyping) {
        services->keyboard =
            inputMethodKeyboard(std::make_unique<wayland::NoKeyboard>(), services->notice, false);
        services->showHideKey = std::make_unique<wayland::CompositorBoundKey>();
        services->panelWindow = std::make_unique<ManagedPanelWindow>();
        return services;
    }
#endif
    services->keyboard = std::make_unique<x11::X11Keyboard>();
    // On XWayland, XTest reaches only the X11 applications.
    if (isWaylandSession())
        services->keyboard =
            inputMethodKeyboard(std::move(services->keyboard), services->notice, true);
    services->showHideKey = std::make_unique<HookShowHideKey>(
        std::make_unique<x11::X11HotkeyHook>(hookLibraryFolders()));
    services->panelWindow = std::make_unique<x11::X11PanelWindow>();
    return services;
}

} // namespace platform
