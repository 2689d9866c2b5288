// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct wl_display;
struct wl_event_queue;
struct wl_interface;
struct wl_registry;

namespace platform::wayland {

/// The globals a compositor advertises, read on an event queue of our own.
///
/// Everything bound through it lives on that queue: when the connection is Qt's,
/// Qt's dispatching never runs our handlers, and ours never runs Qt's. The queue is
/// dispatched only when we ask, on the thread that asks.
class PrivateRegistry
{
public:
    /// display is not owned. isValid() tells whether the globals could be read.
    explicit PrivateRegistry(wl_display *display);
    ~PrivateRegistry();
    PrivateRegistry(const PrivateRegistry &) = delete;
    PrivateRegistry &operator=(const PrivateRegistry &) = delete;

    bool isValid() const { return m_registry != nullptr; }
    wl_display *display() const { return m_display; }
    wl_event_queue *queue() const { return m_queue; }

    /// The advertised version of a global interface, 0 when not advertised.
    std::uint32_t version(const char *interfaceName) const;

    /// Binds the first global of this interface at the lower of its advertised
    /// version and maxVersion; nullptr when it is not advertised. The proxy lives on
    /// the private queue, and must be destroyed before this registry.
    void *bind(const wl_interface *interface, std::uint32_t maxVersion);

    /// Waits until the compositor has handled every request sent so far, then runs
    /// the handlers of what arrived on the private queue. False when the connection
    /// has failed.
    bool roundtrip();

    /// Runs the handlers of what has already arrived on the private queue.
    void dispatchPending();

    /// Sends what is buffered, waiting up to a second while the socket is full.
    /// False when the connection has failed.
    bool flush();

private:
    struct Global
    {
        std::uint32_t name = 0;
        std::string interface;
        std::uint32_t version = 0;
    };
    static void onGlobal(void *data, wl_registry *registry, std::uint32_t name,
                         const char *interface, std::uint32_t version);
    static void onGlobalRemove(void *data, wl_registry *registry, std::uint32_t name);

    wl_display *m_display = nullptr;
    wl_event_queue *m_queue = nullptr;
    wl_registry *m_registry = nullptr;
    std::vector<Global> m_globals;
};

} // namespace platform::wayland
