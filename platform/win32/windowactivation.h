// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../nativewindow.h"

#include <cstdint>

namespace platform::win32 {

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
    /// application the user is typing in. Returns whether the change was made.
    virtual bool setNoActivate(NativeWindow window, bool enabled) = 0;

    /// The window that has the foreground now, or 0 where the system cannot tell.
    virtual NativeWindow foregroundWindow() const = 0;
    /// Returns whether the system gave the window the foreground.
    virtual bool setForegroundWindow(NativeWindow window) = 0;

    virtual bool isLeftButtonDown() const = 0;

    /// Reads a native message: what it means for the frame of window, or None when
    /// it is about another window. May arrange with the system that the frame's
    /// leave notification will be sent.
    virtual FrameEvent frameEvent(NativeWindow window, const char *eventType, void *message) = 0;

    /// Answers a native message in the system's place where the system would
    /// otherwise activate the non-activating window on a click in it. Returns
    /// whether it answered, with the answer in result. Most systems need no answer.
    virtual bool answerNoActivate(NativeWindow window, const char *eventType, void *message,
                                  std::intptr_t *result)
    {
        (void)window;
        (void)eventType;
        (void)message;
        (void)result;
        return false;
    }
};

} // namespace platform::win32
