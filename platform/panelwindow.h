// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

class QWidget;

namespace platform {

/// The panel's window: how it floats above the others, never taking the keyboard
/// focus from the application being typed into, and where it stands. Where a window
/// manager frames windows (Windows, a managed X11 window), it places the window by
/// its frame and draws the title bar. An unmanaged X11 window or a Wayland layer
/// surface has neither: the program places it, and the panel draws its own title
/// strip, menu and tooltips.
class PanelWindow
{
public:
    virtual ~PanelWindow() = default;

    /// Whether the panel must draw its own title strip, and show its menu and
    /// tooltips inside itself, as pop-up windows would take the keyboard focus.
    virtual bool drawsOwnDecorations() const = 0;

    /// Prepares the window, once, after its native window exists and before its
    /// first show: from then on it never takes the focus. Returns whether it can
    /// float as it should.
    virtual bool adopt(QWidget &window) = 0;

    /// Puts the top-left corner of the window's frame at a point of the desktop.
    virtual void place(QWidget &window, QPoint topLeft) = 0;
    virtual QPoint position(const QWidget &window) const = 0;
};

} // namespace platform
