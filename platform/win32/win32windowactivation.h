// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../windowactivation.h"

namespace platform::win32 {

/// WS_EX_NOACTIVATE keeps clicks on the panel from taking the foreground; the
/// frame's press and leave messages drive the hand-over.
class Win32WindowActivation : public WindowActivation
{
public:
    bool setNoActivate(NativeWindow window, bool enabled) override;
    NativeWindow foregroundWindow() const override;
    bool setForegroundWindow(NativeWindow window) override;
    bool isLeftButtonDown() const override;
    FrameEvent frameEvent(NativeWindow window, const char *eventType, void *message) override;
};

} // namespace platform::win32
