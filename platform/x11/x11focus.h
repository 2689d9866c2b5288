// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

struct xcb_connection_t;

namespace platform::x11 {

/// Tells whether an X11 application has the keyboard focus. Under XWayland the X
/// server's focus is None while a native Wayland window has it.
class X11Focus
{
public:
    X11Focus();
    ~X11Focus();
    X11Focus(const X11Focus &) = delete;
    X11Focus &operator=(const X11Focus &) = delete;

    /// True when the focus is in a window that the window manager manages (it or
    /// an ancestor has WM_STATE); false for None, the root, and a window of the
    /// window manager's own.
    bool isOnClient();

private:
    xcb_connection_t *m_connection = nullptr;
    unsigned m_root = 0;
    unsigned m_wmState = 0;
};

} // namespace platform::x11
