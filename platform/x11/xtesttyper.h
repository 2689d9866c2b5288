// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "keycodepool.h"
#include "keycoderecord.h"

#include <array>
#include <chrono>
#include <functional>
#include <set>
#include <string>

typedef struct _XDisplay Display;
union _XEvent;

namespace platform::x11 {

/// Types keysyms into the focused X window through the XTest extension, binding
/// spare keycodes to keysyms that no key types, and emptying them again when done.
///
/// It has an X connection of its own rather than Qt's: its keymap requests, the
/// MappingNotify events they cause and any errors stay apart from the toolkit's,
/// and it works whatever Qt platform plugin runs the windows (XWayland included).
///
/// A new binding is pressed only once the focused application has taken it in.
/// Most toolkits read keymap changes on the connection that brings them the key, in
/// order, but some do not: Chromium (and every Electron application) translates the
/// key through GTK, whose X connection is not the one the key arrives on, and reads
/// that connection's keymap notification in the same turn of its event loop as the
/// key, after it. Such a key types the glyph the keycode held before, or nothing. So
/// after each change the typer asks the focused window for _NET_WM_PING answers,
/// which it gives from the connection the key will arrive on.
class XTestTyper
{
public:
    /// Called with the reason when a character could not be typed, or may have been
    /// typed wrong.
    using FailureReporter = std::function<void(const std::string &reason)>;

    /// recordPath is where the bindings are recorded for this display (see
    /// KeycodeRecord); the bindings that a killed typer left behind there are
    /// undone at once, so only the one typer of a display may be given it.
    explicit XTestTyper(const std::string &recordPath = {});
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

    /// Presses and releases a key that types keysym. A keysym that needs a new
    /// binding takes one keymap change and a wait for the focused application of a
    /// few milliseconds; a keysym already bound, none of either. False when no
    /// keycode can type it: none holds it and no spare one is left.
    bool type(Keysym keysym);

    /// Where failures go; without one they are dropped.
    void setFailureReporter(FailureReporter reporter) { m_reportFailure = std::move(reporter); }

private:
    void readWholeKeymap();
    void readKeymap(int first, int count);
    void handleEvent(_XEvent &event);
    void bind(int keycode, Keysym keysym);
    void waitForFocusedApplication();
    unsigned long pingableFocusWindow();
    unsigned long findPingWindow(unsigned long focus);
    bool ping(unsigned long window, std::chrono::steady_clock::time_point deadline);
    void releaseBindings();
    void undoRecordedBindings();
    void reportFailure(const std::string &reason) const;

    enum AtomIndex { WmProtocols, NetWmPing, NetWmPid, PingTag, AtomCount };

    KeycodeRecord m_record;

    Display *m_display = nullptr;
    int m_xkbEventBase = -1;
    std::array<unsigned long, AtomCount> m_atoms{};
    KeycodePool m_pool;
    unsigned long m_pingSerial = 0;
    bool m_pongArrived = false;
    /// Keycodes pressed since the focused application last answered: rebinding one
    /// of them first needs an answer, or the application could read that press with
    /// the new binding.
    std::set<int> m_unconfirmedPresses;
    /// Windows that have answered, and windows that said they would and never did
    /// (their answers may go where the typer cannot see them): those are not waited
    /// for again.
    std::set<unsigned long> m_answeringWindows;
    std::set<unsigned long> m_silentWindows;
    /// The window that had the focus when last looked at, and the window of the
    /// application there that answers pings (0 for none).
    unsigned long m_focus = 0;
    unsigned long m_focusPingWindow = 0;
    FailureReporter m_reportFailure;
};

} // namespace platform::x11
