// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32windowactivation.h"

#include <windows.h>

#include <cstring>

namespace platform::win32 {

namespace {

HWND handleOf(NativeWindow window)
{
    return reinterpret_cast<HWND>(window);
}

} // namespace

void Win32WindowActivation::setNoActivate(NativeWindow window, bool enabled)
{
    const HWND handle = handleOf(window);
    LONG style = GetWindowLongW(handle, GWL_EXSTYLE);
    if (enabled)
        style |= WS_EX_NOACTIVATE;
    else
        style &= ~WS_EX_NOACTIVATE;
    SetWindowLongW(handle, GWL_EXSTYLE, style);
}

NativeWindow Win32WindowActivation::foregroundWindow() const
{
    return reinterpret_cast<NativeWindow>(GetForegroundWindow());
}

void Win32WindowActivation::setForegroundWindow(NativeWindow window)
{
    SetForegroundWindow(handleOf(window));
}

short Win32WindowActivation::leftButtonState() const
{
    return GetAsyncKeyState(VK_LBUTTON);
}

FrameEvent Win32WindowActivation::frameEvent(const char *eventType, void *message)
{
    if (std::strcmp(eventType, "windows_generic_MSG") != 0)
        return FrameEvent::None;
    const auto *msg = static_cast<const MSG *>(message);
    switch (msg->message) {
    case WM_NCLBUTTONDOWN:
        return FrameEvent::ButtonPressed;
    case WM_NCMOUSELEAVE:
        return FrameEvent::PointerLeft;
    case WM_NCMOUSEMOVE: {
        // Windows sends WM_NCMOUSELEAVE only to a window that asked for it since
        // the pointer last entered its frame; asking again while it is there is
        // harmless.
        TRACKMOUSEEVENT tracking = {};
        tracking.cbSize = sizeof tracking;
        tracking.dwFlags = TME_LEAVE | TME_NONCLIENT;
        tracking.hwndTrack = msg->hwnd;
        tracking.dwHoverTime = HOVER_DEFAULT;
        TrackMouseEvent(&tracking);
        return FrameEvent::None;
    }
    default:
        return FrameEvent::None;
    }
}

} // namespace platform::win32
