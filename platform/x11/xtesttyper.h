// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "keycodepool.h"

typedef struct _XDisplay Display;

namespace platform::x11 {

/// Types keysyms into the focused X window through the XTest extension, binding
/// spare keycodes to keysyms that no key types, and emptying them again when done.
///
/// It has an X connection of its own rather than Qt's: its keymap requests, the
/// MappingNotify events they cause and any errors stay apart from the toolkit's,
/// and it works whatever Qt platform plugin runs the windows (XWayland included).
class XTestTyper
{
public:
    XTestTyper();
    ~XTestTyper();
    XTestTyper(const XTestTyper &) = delete;
    XTestTyper &operator=(const XTestTyper &) = delete;

    /// False without an X server or without XTest; the typer then types nothing.
    bool isAvailable() const { return m_display != nullptr; }

    /// The connection's socket, to watch for MappingNotify; -1 when unavailable.
    int connectionNumber() const;

    /// Reads the events that have arrived: a keymap changed by anyone (a layout
    /// switch, xmodmap, the typer itself) drops what the typer knew about the
    /// changed keycodes.
    void processEvents();

    /// Presses and releases a key that types keysym. False when no keycode can
    /// type it: none holds it and no spare one is left.
    bool type(Keysym keysym);

    /// Keymap changes made so far, for measuring.
    int bindingCount() const { return m_bindingCount; }

private:
    void readWholeKeymap();
    void readKeymap(int first, int count);
    void bind(int keycode, Keysym keysym);
    void releaseBindings();

    Display *m_display = nullptr;
    int m_xkbEventBase = -1;
    KeycodePool m_pool;
    int m_bindingCount = 0;
};

} // namespace platform::x11
