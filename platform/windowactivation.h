// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "nativewindow.h"

namespace platform {

/// What a native message of the panel window means for the focus hand-over.
enum class FrameEvent {
    None,
    ButtonPressed, ///< the left button went down on the frame or title bar
    PointerLeft,   ///< the pointer has left the frame
};

/// Controls whether a window may take the keyboard focus, and who has the foreground.
class WindowActivation
{
public:
    virtual ~WindowActivation() = default;

    /// A non-activating window can be clicked without taking the focus from the
    /// application the user is typing in.
    virtual void setNoActivate(NativeWindow window, bool enabled) = 0;

    /// The window that has the foreground now, or 0 where the system cannot tell.
    virtual NativeWindow foregroundWindow() const = 0;
    virtual void setForegroundWindow(NativeWindow window) = 0;

    /// The left mouse button's asynchronous key state, as GetAsyncKeyState reports it:
    /// 0 or 1 while the button is up.
    virtual short leftButtonState() const = 0;

    /// Reads a native message of a window that works the hand-over. May arrange
    /// with the system that the frame's leave notification will be sent.
    virtual FrameEvent frameEvent(const char *eventType, void *message) = 0;
};

} // namespace platform
