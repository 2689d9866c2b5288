// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panellayer.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QWindow;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

namespace platform::wayland {

class PrivateRegistry;

/// The layer-shell role given by hand, for Qt 6.4 and 6.5, which have no place for a
/// shell integration of the program's own (see PanelLayer).
///
/// Qt gives a window a new wl_surface on every show, so the role is given again on
/// every show, before Qt's first frame on that surface. The window needs
/// Qt::BypassWindowManagerHint and the environment variable
/// QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT=1; the constructor sets both when the
/// window is still hidden (the variable then holds for every window so flagged).
/// Create the helper before the window is first shown, and destroy it before the
/// QGuiApplication (not as a child of the application object: those go after Qt's
/// Wayland connection).
///
/// Qt destroys the surface on every hide, and again when the window goes: the role
/// object is destroyed just before, when Qt's Wayland window announces it.
class LayerShellWindow : public QObject, public PanelLayer
{
    Q_OBJECT
public:
    explicit LayerShellWindow(QWindow *window, QObject *parent = nullptr);
    ~LayerShellWindow() override;

    bool isAvailable() const override { return m_shell != nullptr; }

    /// Whether the window holds the layer-shell role now (shown and configured).
    bool hasRole() const { return m_layerSurface != nullptr; }

    void setPosition(const QPoint &topLeft) override;
    QPoint position() const override { return m_position; }

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

private slots:
    void dropRole();

private:
    void watchSurface();
    void applyRole();
    void applySize();
    static void onConfigure(void *data, zwlr_layer_surface_v1 *surface, std::uint32_t serial,
                            std::uint32_t width, std::uint32_t height);
    static void onClosed(void *data, zwlr_layer_surface_v1 *surface);

    QPointer<QWindow> m_window;
    QPointer<QObject> m_watchedPlatformWindow;
    std::unique_ptr<PrivateRegistry> m_registry;
    zwlr_layer_shell_v1 *m_shell = nullptr;
    zwlr_layer_surface_v1 *m_layerSurface = nullptr;
    QPoint m_position;
    bool m_configured = false;
    int m_rolesApplied = 0;
};

} // namespace platform::wayland
