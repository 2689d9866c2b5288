// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/windowactivation.h"

#include <functional>

/// Keeps the panel from taking the focus, except while the user works its frame.
///
/// Normally the panel is non-activating, so a click on a label leaves the focus in
/// the application being typed into. A press on the frame makes it an ordinary
/// window that can be dragged and closed, and remembers who had the foreground;
/// once the pointer leaves the frame with the button up, the panel is
/// non-activating again and gives the foreground back.
class FocusHandOver
{
public:
    /// window gives the panel's native window; it is asked each time, since a
    /// toolkit may recreate the native window.
    FocusHandOver(platform::WindowActivation &activation,
                  std::function<platform::NativeWindow()> window);

    void enableNoActivate();
    void disableNoActivate();
    bool isNoActivate() const { return m_noActivate; }

    /// The window that gets the foreground back; 0 until a frame press saw one.
    platform::NativeWindow previousForeground() const { return m_previousForeground; }

    void handle(platform::FrameEvent event);

private:
    void frameButtonPressed();
    void framePointerLeft();
    void setNoActivate(bool enabled);

    platform::WindowActivation &m_activation;
    std::function<platform::NativeWindow()> m_window;
    bool m_noActivate = false;
    platform::NativeWindow m_previousForeground = 0;
};
