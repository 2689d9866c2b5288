// SPDX-License-Identifier: GPL-3.0-or-later
// The Wayland objects behind Qt's windows, read through QPlatformNativeInterface, a
// private Qt API (qt6-base-private-dev). Qt 6.5 gives the display through
// QNativeInterface::QWaylandApplication as well; 6.4 does not.
#include "qtwaylandnative.h"

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

namespace platform::wayland {

bool qtRunsOnWayland()
{
    return qGuiApp && QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

wl_display *qtWaylandDisplay()
{
    if (!qtRunsOnWayland())
        return nullptr;
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display"))
                  : nullptr;
}

wl_surface *qtWaylandSurface(QWindow *window)
{
    if (!window || !window->handle() || !qtRunsOnWayland())
        return nullptr;
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_surface *>(native->nativeResourceForWindow("surface", window))
                  : nullptr;
}

} // namespace platform::wayland
