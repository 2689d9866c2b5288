// SPDX-License-Identifier: GPL-3.0-or-later
// The layer-shell role through LayerShellQt (Qt 6.6 and later): a shell integration
// that Qt's Wayland plugin runs like its own. Qt then creates and destroys the role
// with the surface, in the order the protocol asks, on every show and hide.
#include "panellayer.h"

#include "qtwaylandnative.h"
#include "registry.h"
#include "waylandlog.h"

#include <LayerShellQt/Window>

#include <QMargins>
#include <QPointer>
#include <QWindow>

#include <wayland-client.h>

namespace platform::wayland {

namespace {

bool compositorOffersLayerShell()
{
    wl_display *display = qtWaylandDisplay();
    if (!display)
        return false;
    const PrivateRegistry registry(display);
    return registry.version("zwlr_layer_shell_v1") > 0;
}

class LayerShellQtWindow : public PanelLayer
{
public:
    explicit LayerShellQtWindow(QWindow *window) : m_window(window)
    {
        if (!m_window || !qtWaylandDisplay()) {
            qCInfo(lcWayland) << "Qt does not run on Wayland: no layer-shell surface";
            return;
        }
        if (!compositorOffersLayerShell()) {
            qCInfo(lcWayland) << "the compositor offers no layer shell (zwlr_layer_shell_v1)";
            return;
        }
        if (m_window->isVisible())
            qCWarning(lcWayland) << "the window is already shown; it gets no layer-shell role"
                                    " before it is hidden and shown again";
        // Owned by the window; it sets itself up as the window's shell integration.
        m_layer = LayerShellQt::Window::get(m_window);
        if (!m_layer) {
            qCWarning(lcWayland) << "LayerShellQt gave no layer surface for the window";
            return;
        }
        m_layer->setScope(QStringLiteral("ondrel"));
        m_layer->setLayer(LayerShellQt::Window::LayerOverlay);
        m_layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityNone);
        m_layer->setAnchors(LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                          LayerShellQt::Window::AnchorLeft));
        // -1: the margins count from the output's edge, whatever bars reserve.
        m_layer->setExclusiveZone(-1);
        applyPosition();
    }

    bool isAvailable() const override { return !m_layer.isNull(); }

    void setPosition(const QPoint &topLeft) override
    {
        m_position = topLeft;
        applyPosition();
    }

    QPoint position() const override { return m_position; }

private:
    void applyPosition()
    {
        if (!m_layer)
            return;
        m_layer->setMargins(QMargins(m_position.x(), m_position.y(), 0, 0));
        // The margins are the surface's pending state, which LayerShellQt leaves to
        // Qt's next frame; the panel only moves, so nothing repaints it. A commit
        // without a new buffer applies them at once, as a drag needs.
        if (!m_window->isExposed())
            return;
        if (wl_surface *surface = qtWaylandSurface(m_window)) {
            wl_surface_commit(surface);
            wl_display_flush(qtWaylandDisplay());
        }
    }

    QPointer<QWindow> m_window;
    QPointer<LayerShellQt::Window> m_layer;
    QPoint m_position;
};

} // namespace

std::unique_ptr<PanelLayer> createPanelLayer(QWindow *window)
{
    return std::make_unique<LayerShellQtWindow>(window);
}

} // namespace platform::wayland
