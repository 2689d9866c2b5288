// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "windowactivation.h"

#include <functional>
#include <string>

namespace platform::win32 {

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
    /// toolkit may recreate the native window. warn hears of style changes that the
    /// system refused.
    FocusHandOver(WindowActivation &activation, std::function<NativeWindow()> window,
                  std::function<void(const std::string &)> warn);

    void enableNoActivate();
    void disableNoActivate();
    bool isNoActivate() const { return m_noActivate; }

    void handle(FrameEvent event);

private:
    void frameButtonPressed();
    void framePointerLeft();
    void setNoActivate(bool enabled);

    WindowActivation &m_activation;
    std::function<NativeWindow()> m_window;
    std::function<void(const std::string &)> m_warn;
    bool m_noActivate = false;
    NativeWindow m_previousForeground = 0;
};

} // namespace platform::win32
