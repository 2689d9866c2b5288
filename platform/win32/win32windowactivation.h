// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "windowactivation.h"

namespace platform::win32 {

/// WS_EX_NOACTIVATE keeps clicks on the panel from taking the foreground, and so
/// does the answer MA_NOACTIVATE to WM_MOUSEACTIVATE, which Wine needs as well (it
/// does not honour the style alone). The frame's press and leave messages drive the
/// hand-over.
class Win32WindowActivation : public WindowActivation
{
public:
    bool setNoActivate(NativeWindow window, bool enabled) override;
    NativeWindow foregroundWindow() const override;
    bool setForegroundWindow(NativeWindow window) override;
    bool isLeftButtonDown() const override;
    FrameEvent frameEvent(NativeWindow window, const char *eventType, void *message) override;
    bool answerNoActivate(NativeWindow window, const char *eventType, void *message,
                          std::intptr_t *result) override;
};

} // namespace platform::win32
