// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../windowactivation.h"

namespace platform::x11 {

/// On X11 the window manager owns the frame and moves a window that refuses the
/// focus without focusing it, so only the input hint matters here.
class X11WindowActivation : public WindowActivation
{
public:
    bool setNoActivate(NativeWindow window, bool enabled) override;
    NativeWindow foregroundWindow() const override { return 0; }
    bool setForegroundWindow(NativeWindow) override { return false; }
    bool isLeftButtonDown() const override { return false; }
    FrameEvent frameEvent(NativeWindow, const char *, void *) override { return FrameEvent::None; }
};

} // namespace platform::x11
