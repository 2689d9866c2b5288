// SPDX-License-Identifier: GPL-3.0-or-later
// The layer-shell role for a Qt window. Qt 6.4 has no API for it, so this leans on
// how its Wayland plugin (qtwayland 6.4) handles windows, verified with Qt 6.4.2:
// - With QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT set, a window flagged
//   Qt::BypassWindowManagerHint gets a wl_surface but no shell surface, so its
//   surface has no role, and Qt counts it as exposed once shown.
// - Qt makes that surface when the platform window is created and again on every
//   show (hiding destroys it), and reaches it through
//   QPlatformNativeInterface::nativeResourceForWindow("surface").
// - Qt's Wayland window (a QObject) emits wlSurfaceDestroyed() just before it
//   destroys its surface, on a hide and when it goes; QEvent::Hide comes only after.
//   The role object has to go first: wlroots 0.18 ends the connection otherwise.
// - Qt's first buffer on a new surface comes from painting the first expose event,
//   and the window's event filters see that event before the painting does: the
//   role is given there, and its first configure acknowledged, before any buffer.
// Check these again before building with another Qt (the build warns).
#include "layershellwindow.h"

#include "qtwaylandnative.h"
#include "registry.h"
#include "waylandlog.h"

// The generated header names an argument "namespace", a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>

#include <algorithm>

namespace platform::wayland {

namespace {
constexpr char BypassVariable[] = "QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT";
constexpr char LayerNamespace[] = "ondrel";
} // namespace

LayerShellWindow::LayerShellWindow(QWindow *window, QObject *parent)
    : QObject(parent), m_window(window)
{
    wl_display *display = qtWaylandDisplay();
    if (!m_window || !display) {
        qCInfo(lcWayland) << "Qt does not run on Wayland: no layer-shell surface";
        return;
    }
    m_registry = std::make_unique<PrivateRegistry>(display);
    m_shell =
        static_cast<zwlr_layer_shell_v1 *>(m_registry->bind(&zwlr_layer_shell_v1_interface, 4));
    if (!m_shell) {
        qCInfo(lcWayland) << "the compositor offers no layer shell (zwlr_layer_shell_v1)";
        return;
    }
    if (!qEnvironmentVariableIsSet(BypassVariable))
        qputenv(BypassVariable, "1");
    if (!m_window->flags().testFlag(Qt::BypassWindowManagerHint)) {
        if (m_window->isVisible())
            qCWarning(lcWayland) << "the window is already shown; it gets no layer-shell role"
                                    " before it is hidden and shown again";
        m_window->setFlags(m_window->flags() | Qt::BypassWindowManagerHint);
    }
    m_window->installEventFilter(this);
    watchSurface();
}

std::unique_ptr<PanelLayer> createPanelLayer(QWindow *window)
{
    return std::make_unique<LayerShellWindow>(window);
}

void LayerShellWindow::watchSurface()
{
    // The platform window is a QtWaylandClient::QWaylandWindow, whose header is
    // private to Qt's plugin: its signal is reached by name.
    QObject *platformWindow =
        m_window && m_window->handle() ? dynamic_cast<QObject *>(m_window->handle()) : nullptr;
    if (!platformWindow || platformWindow == m_watchedPlatformWindow)
        return;
    m_watchedPlatformWindow = platformWindow;
    if (!connect(platformWindow, SIGNAL(wlSurfaceDestroyed()), this, SLOT(dropRole()),
                 Qt::DirectConnection))
        qCWarning(lcWayland) << "Qt's Wayland window does not announce when it destroys its"
                                " surface; compositors from wlroots 0.18 on may end the"
                                " connection when the panel hides";
}

LayerShellWindow::~LayerShellWindow()
{
    if (!qGuiApp) {
        // Qt's Wayland connection is gone, and our objects with it.
        qCWarning(lcWayland) << "the layer-shell helper outlived the application";
        (void)m_registry.release();
        return;
    }
    if (m_window)
        m_window->removeEventFilter(this);
    dropRole();
    if (m_shell) {
        if (zwlr_layer_shell_v1_get_version(m_shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(m_shell);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy *>(m_shell));
        m_registry->flush();
    }
}

bool LayerShellWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.data()) {
        switch (event->type()) {
        case QEvent::Expose:
            if (m_window->isVisible() && !m_layerSurface)
                applyRole();
            break;
        case QEvent::Hide:
            // Normally dropped already, when Qt announced the surface's end.
            dropRole();
            break;
        case QEvent::Resize:
            applySize();
            break;
        case QEvent::PlatformSurface:
            // A new platform window (after destroy() and create()) is watched anew.
            if (static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
                dropRole();
            else
                watchSurface();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void LayerShellWindow::applyRole()
{
    wl_surface *surface = qtWaylandSurface(m_window);
    if (!surface) {
        qCWarning(lcWayland) << "the shown window has no Wayland surface: no layer-shell role";
        return;
    }
    m_configured = false;
    m_layerSurface = zwlr_layer_shell_v1_get_layer_surface(
        m_shell, surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, LayerNamespace);
    static const zwlr_layer_surface_v1_listener listener = {&LayerShellWindow::onConfigure,
                                                            &LayerShellWindow::onClosed};
    zwlr_layer_surface_v1_add_listener(m_layerSurface, &listener, this);
    applySize();
    zwlr_layer_surface_v1_set_anchor(m_layerSurface, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    // -1: the margins count from the output's edge, whatever bars reserve.
    zwlr_layer_surface_v1_set_exclusive_zone(m_layerSurface, -1);
    zwlr_layer_surface_v1_set_margin(m_layerSurface, m_position.y(), 0, 0, m_position.x());
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        m_layerSurface, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // The first commit carries no buffer; the compositor answers it with a configure,
    // which has to be acknowledged before a buffer may be attached.
    wl_surface_commit(surface);
    for (int attempt = 0; attempt < 3 && !m_configured && m_layerSurface; ++attempt) {
        if (!m_registry->roundtrip())
            break;
    }
    if (!m_configured) {
        qCWarning(lcWayland) << "the compositor did not configure the layer surface";
        dropRole();
        return;
    }
    // From now on Qt's dispatching of its own queue runs our handlers, so later
    // configures are acknowledged without our asking.
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(m_layerSurface), nullptr);
    m_registry->dispatchPending();
    m_registry->flush();
    ++m_rolesApplied;
    emit roleApplied();
}

void LayerShellWindow::dropRole()
{
    if (!m_layerSurface)
        return;
    zwlr_layer_surface_v1_destroy(m_layerSurface);
    m_layerSurface = nullptr;
    m_configured = false;
    m_registry->flush();
}

void LayerShellWindow::applySize()
{
    if (!m_layerSurface)
        return;
    // A zero size asks the compositor to choose, which it may do only for a surface
    // anchored to opposite edges; this one never is.
    zwlr_layer_surface_v1_set_size(m_layerSurface,
                                   static_cast<std::uint32_t>(std::max(1, m_window->width())),
                                   static_cast<std::uint32_t>(std::max(1, m_window->height())));
}

void LayerShellWindow::setPosition(const QPoint &topLeft)
{
    m_position = topLeft;
    if (!m_layerSurface)
        return;
    wl_surface *surface = qtWaylandSurface(m_window);
    if (!surface)
        return;
    zwlr_layer_surface_v1_set_margin(m_layerSurface, topLeft.y(), 0, 0, topLeft.x());
    wl_surface_commit(surface);
    m_registry->flush();
}

void LayerShellWindow::onConfigure(void *data, zwlr_layer_surface_v1 *surface, std::uint32_t serial,
                                   std::uint32_t width, std::uint32_t height)
{
    auto *self = static_cast<LayerShellWindow *>(data);
    zwlr_layer_surface_v1_ack_configure(surface, serial);
    self->m_configured = true;
    if (width != 0 && height != 0 &&
        (static_cast<int>(width) != self->m_window->width() ||
         static_cast<int>(height) != self->m_window->height()))
        qCDebug(lcWayland) << "the compositor configured the layer surface at" << width << "x"
                           << height << "for a window of" << self->m_window->size();
}

void LayerShellWindow::onClosed(void *data, zwlr_layer_surface_v1 *surface)
{
    auto *self = static_cast<LayerShellWindow *>(data);
    qCWarning(lcWayland) << "the compositor closed the layer surface";
    // Not from inside Wayland's dispatching: a handler may hide the window, which
    // destroys the surface.
    QMetaObject::invokeMethod(
        self,
        [self, surface] {
            if (self->m_layerSurface != surface)
                return; // hidden since, and given a new role
            self->dropRole();
            emit self->closed();
        },
        Qt::QueuedConnection);
}

} // namespace platform::wayland
