// SPDX-License-Identifier: GPL-3.0-or-later
#include "waylandprobe.h"

#include "registry.h"
#include "virtualkeyboardtyper.h"
#include "waylandlog.h"

#include <QtGlobal>

#include <wayland-client.h>

namespace platform::wayland {

bool isWaylandSession()
{
    return qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

WaylandOffer probeWaylandDisplay(wl_display *display, bool tryVirtualKeyboard)
{
    WaylandOffer offer;
    if (!display)
        return offer;
    {
        PrivateRegistry registry(display);
        if (!registry.isValid())
            return offer;
        offer.connected = true;
        offer.virtualKeyboard = registry.version("zwp_virtual_keyboard_manager_v1") > 0;
        offer.layerShell = registry.version("zwlr_layer_shell_v1") > 0;
    }
    if (tryVirtualKeyboard && offer.virtualKeyboard) {
        VirtualKeyboardTyper typer(display);
        offer.virtualKeyboardAccepted = typer.isAvailable();
    }
    return offer;
}

WaylandOffer probeWaylandSession(bool tryVirtualKeyboard)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        qCInfo(lcWayland) << "no Wayland compositor to connect to";
        return {};
    }
    const WaylandOffer offer = probeWaylandDisplay(display, tryVirtualKeyboard);
    wl_display_disconnect(display);
    return offer;
}

} // namespace platform::wayland
