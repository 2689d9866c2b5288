// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry.h"

#include "waylandlog.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>

namespace platform::wayland {

PrivateRegistry::PrivateRegistry(wl_display *display) : m_display(display)
{
    if (!m_display)
        return;
    if (const int error = wl_display_get_error(m_display)) {
        qCWarning(lcWayland) << "the Wayland connection has already failed:" << strerror(error);
        return;
    }
    m_queue = wl_display_create_queue(m_display);
    // The registry is created through a wrapper so that it is on the private queue
    // from its first event on; setting the queue afterwards would race with a
    // thread reading the connection (Qt reads it on a thread of its own).
    auto *wrapper = static_cast<wl_display *>(wl_proxy_create_wrapper(m_display));
    if (!m_queue || !wrapper) {
        qCWarning(lcWayland) << "cannot create a Wayland event queue";
        return;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), m_queue);
    wl_registry *registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    static const wl_registry_listener listener = {&PrivateRegistry::onGlobal,
                                                  &PrivateRegistry::onGlobalRemove};
    wl_registry_add_listener(registry, &listener, this);
    m_registry = registry;
    if (!roundtrip()) {
        qCWarning(lcWayland) << "cannot read the compositor's globals";
        wl_registry_destroy(m_registry);
        m_registry = nullptr;
    }
}

PrivateRegistry::~PrivateRegistry()
{
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_queue)
        wl_event_queue_destroy(m_queue);
}

void PrivateRegistry::onGlobal(void *data, wl_registry *, std::uint32_t name, const char *interface,
                               std::uint32_t version)
{
    static_cast<PrivateRegistry *>(data)->m_globals.push_back({name, interface, version});
}

void PrivateRegistry::onGlobalRemove(void *data, wl_registry *, std::uint32_t name)
{
    auto &globals = static_cast<PrivateRegistry *>(data)->m_globals;
    globals.erase(std::remove_if(globals.begin(), globals.end(),
                                 [name](const Global &g) { return g.name == name; }),
                  globals.end());
}

std::uint32_t PrivateRegistry::version(const char *interfaceName) const
{
    for (const Global &global : m_globals) {
        if (global.interface == interfaceName)
            return global.version;
    }
    return 0;
}

void *PrivateRegistry::bind(const wl_interface *interface, std::uint32_t maxVersion)
{
    if (!m_registry)
        return nullptr;
    for (const Global &global : m_globals) {
        if (global.interface == interface->name) {
            const std::uint32_t version = std::min(
                {global.version, maxVersion, static_cast<std::uint32_t>(interface->version)});
            return wl_registry_bind(m_registry, global.name, interface, version);
        }
    }
    return nullptr;
}

bool PrivateRegistry::roundtrip()
{
    if (!m_queue)
        return false;
    if (wl_display_roundtrip_queue(m_display, m_queue) < 0) {
        qCWarning(lcWayland) << "the Wayland connection failed:"
                             << strerror(wl_display_get_error(m_display));
        return false;
    }
    return true;
}

void PrivateRegistry::dispatchPending()
{
    if (m_queue)
        wl_display_dispatch_queue_pending(m_display, m_queue);
}

bool PrivateRegistry::flush()
{
    if (!m_display)
        return false;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (wl_display_flush(m_display) >= 0)
            return true;
        if (errno != EAGAIN)
            break;
        // The compositor is not reading fast enough; what is buffered stays buffered.
        pollfd fd = {wl_display_get_fd(m_display), POLLOUT, 0};
        poll(&fd, 1, 100);
    }
    qCWarning(lcWayland) << "cannot send to the compositor:" << strerror(errno);
    return false;
}

} // namespace platform::wayland
