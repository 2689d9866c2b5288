// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct wl_display;
struct wl_surface;
class QWindow;

namespace platform::wayland {

/// Whether the running QGuiApplication uses Qt's Wayland platform plugin.
bool qtRunsOnWayland();

/// The connection of Qt's Wayland platform plugin; nullptr when Qt runs on another
/// platform or before the QGuiApplication exists.
wl_display *qtWaylandDisplay();

/// The wl_surface that Qt gave window now; nullptr when it has none (Qt 6.4 drops a
/// window's surface when the window is hidden, and makes a new one when it is shown).
wl_surface *qtWaylandSurface(QWindow *window);

} // namespace platform::wayland
