// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>

#include <memory>

class QWindow;

namespace platform::wayland {

/// A Qt window as a layer-shell surface (zwlr_layer_shell_v1) on the OVERLAY layer:
/// anchored at the output's top-left corner, placed by its margins, and with keyboard
/// interactivity none, so that clicks on it never move the keyboard focus. The role
/// object always goes before the surface it was given to, as the protocol asks:
/// compositors from wlroots 0.18 on end the connection of a client that does it the
/// other way round.
///
/// Which code does it depends on the Qt the program was built with (see
/// CMakeLists.txt): LayerShellQt from Qt 6.6 on, a role given by hand before.
class PanelLayer
{
public:
    virtual ~PanelLayer() = default;

    /// Whether Qt runs on Wayland and the compositor offers zwlr_layer_shell_v1.
    virtual bool isAvailable() const = 0;

    /// The top-left corner of the window on its output, in logical pixels: the
    /// surface's margins. Applies at once while shown (for dragging), else at the
    /// next show. Qt's own idea of the window's position is not changed: Qt keeps
    /// a Wayland top-level window at the screen's origin, so event positions are
    /// to be read as window-local.
    ///
    /// Dragging: while a button is held, sway gives pointer positions relative to
    /// where the surface was at the press, not to where it has since been moved. So
    /// move it to positionAtPress + (local - localAtPress).
    virtual void setPosition(const QPoint &topLeft) = 0;
    virtual QPoint position() const = 0;
};

/// Makes window a layer surface from its next show on. Call it once the window's
/// native window exists (winId()) and before the window is first shown; size the
/// window before showing it, as the surface's size is the window's. Destroy the
/// result before the QGuiApplication, and not as a child of the application
/// object: those go after Qt's Wayland connection.
std::unique_ptr<PanelLayer> createPanelLayer(QWindow *window);

} // namespace platform::wayland
