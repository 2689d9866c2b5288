// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QWindow;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

namespace platform::wayland {

class PrivateRegistry;

/// Makes a Qt window a layer-shell surface (zwlr_layer_shell_v1) on the OVERLAY
/// layer: anchored at the output's top-left corner, placed by its margins, and with
/// keyboard interactivity none, so that clicks on it never move the keyboard focus.
///
/// Qt gives a window a new wl_surface on every show, so the role is given again on
/// every show, before Qt's first frame on that surface. The window needs
/// Qt::BypassWindowManagerHint and the environment variable
/// QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT=1; the constructor sets both when the
/// window is still hidden (the variable then holds for every window so flagged).
/// Create the helper before the window is first shown, and destroy it before the
/// QGuiApplication (not as a child of the application object: those go after Qt's
/// Wayland connection).
class LayerShellWindow : public QObject
{
    Q_OBJECT
public:
    explicit LayerShellWindow(QWindow *window, QObject *parent = nullptr);
    ~LayerShellWindow() override;

    /// Whether Qt runs on Wayland and the compositor offers zwlr_layer_shell_v1.
    bool isAvailable() const { return m_shell != nullptr; }

    /// Whether the window holds the layer-shell role now (shown and configured).
    bool hasRole() const { return m_layerSurface != nullptr; }

    /// The top-left corner of the window on its output, in logical pixels: the
    /// surface's margins. Applies at once while shown (for dragging), else at the
    /// next show. Qt's own idea of the window's position is not changed: Qt's
    /// Wayland plugin keeps top-level windows at the screen's origin, so event
    /// positions are to be read as window-local.
    ///
    /// Dragging: while a button is held, sway 1.7 gives pointer positions relative
    /// to where the surface was at the press, not to where it has since been moved.
    /// So move it to positionAtPress + (local - localAtPress); adding each step to
    /// the current position runs away from the pointer.
    void setPosition(const QPoint &topLeft);
    QPoint position() const { return m_position; }

    /// Shows that received the role so far.
    int rolesApplied() const { return m_rolesApplied; }

signals:
    /// The window received the role on a show; Qt's first frame follows.
    void roleApplied();
    /// The compositor withdrew the surface (its output went away, for instance).
    /// Hide the window and show it again to get a new one.
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyRole();
    void dropRole();
    void applySize();
    static void onConfigure(void *data, zwlr_layer_surface_v1 *surface, std::uint32_t serial,
                            std::uint32_t width, std::uint32_t height);
    static void onClosed(void *data, zwlr_layer_surface_v1 *surface);

    QPointer<QWindow> m_window;
    std::unique_ptr<PrivateRegistry> m_registry;
    zwlr_layer_shell_v1 *m_shell = nullptr;
    zwlr_layer_surface_v1 *m_layerSurface = nullptr;
    QPoint m_position;
    bool m_configured = false;
    int m_rolesApplied = 0;
};

} // namespace platform::wayland
