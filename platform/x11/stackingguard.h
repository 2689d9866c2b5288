// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;
struct xcb_connection_t;

namespace platform::x11 {

/// Counts restacks so that two windows that each insist on being on top cannot
/// keep the X server busy raising them in turn: at most `limit` raises in any
/// `period`; past that, none until the period has gone by.
class RaiseBudget
{
public:
    using Clock = std::chrono::steady_clock;

    RaiseBudget(int limit, std::chrono::milliseconds period) : m_limit(limit), m_period(period) {}

    /// Whether a raise may happen now; counts it if so.
    bool take(Clock::time_point now);

private:
    int m_limit;
    std::chrono::milliseconds m_period;
    Clock::time_point m_periodStart{};
    int m_used = 0;
};

/// Keeps a window that no window manager manages above the windows that are raised
/// after it. The X server maps such a window on top, but when the window manager
/// later raises a window it manages (a click on it, a new window), that one covers
/// the panel. Menus, tooltips and other unmanaged windows of any program may still
/// stand above it, and so may the program's own windows (its dialogs).
///
/// Watches the root window's children over a display connection of its own, on the
/// GUI thread, so that Qt's connection is never disturbed.
class StackingGuard
{
public:
    /// Tells whether a window is one of the program's own.
    using OwnWindowTest = std::function<bool(std::uint32_t window)>;

    explicit StackingGuard(OwnWindowTest isOwnWindow);
    ~StackingGuard();
    StackingGuard(const StackingGuard &) = delete;
    StackingGuard &operator=(const StackingGuard &) = delete;

    /// Starts guarding a child of the root window; false when the X server cannot be
    /// reached.
    bool start(std::uint32_t window);

private:
    void readEvents();
    /// Whether a viewable window that the window manager manages, and that is not
    /// the program's, stands above the guarded one.
    bool isCovered();
    bool holdsOwnWindow(std::uint32_t window, int depth);
    /// A window's children, bottom to top; none when it has gone.
    std::vector<std::uint32_t> children(std::uint32_t window);

    OwnWindowTest m_isOwnWindow;
    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint32_t m_window = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    RaiseBudget m_budget;
    bool m_budgetWarned = false;
};

} // namespace platform::x11
