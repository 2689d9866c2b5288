// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct wl_display;

namespace platform::wayland {

/// What a Wayland compositor offers Ondrel.
struct WaylandOffer
{
    bool connected = false;       ///< a compositor answered
    bool virtualKeyboard = false; ///< zwp_virtual_keyboard_manager_v1 is advertised
    bool layerShell = false;      ///< zwlr_layer_shell_v1 is advertised
    /// The compositor took a virtual keyboard and its keymap on a connection of the
    /// probe's own (only with tryVirtualKeyboard). A compositor that advertises the
    /// manager may still refuse a client with a protocol error, which ends the
    /// connection: better the probe's than Qt's.
    bool virtualKeyboardAccepted = false;

    bool canTypeAndFloat() const { return virtualKeyboard && layerShell; }
};

/// Whether the session looks like a Wayland session (WAYLAND_DISPLAY is set, or
/// XDG_SESSION_TYPE is wayland).
bool isWaylandSession();

/// Asks the session's compositor (WAYLAND_DISPLAY) on a connection of its own, which
/// it closes again. Works before any QGuiApplication exists, which is when the
/// platform plugin has to be chosen.
WaylandOffer probeWaylandSession(bool tryVirtualKeyboard = false);

/// The same on a given connection, left open (Qt's connection works too; the probe
/// then uses a private event queue). With tryVirtualKeyboard, a refusal ends
/// this connection.
WaylandOffer probeWaylandDisplay(wl_display *display, bool tryVirtualKeyboard = false);

} // namespace platform::wayland
