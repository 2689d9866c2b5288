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

bool Win32WindowActivation::setNoActivate(NativeWindow window, bool enabled)
{
    const HWND handle = handleOf(window);
    SetLastError(0);
    LONG style = GetWindowLongW(handle, GWL_EXSTYLE);
    if (style == 0 && GetLastError() != 0)
        return false;
    if (enabled)
        style |= WS_EX_NOACTIVATE;
    else
        style &= ~WS_EX_NOACTIVATE;
    // SetWindowLongW answers the previous style, which may well be 0.
    SetLastError(0);
    return SetWindowLongW(handle, GWL_EXSTYLE, style) != 0 || GetLastError() == 0;
}

NativeWindow Win32WindowActivation::foregroundWindow() const
{
    return reinterpret_cast<NativeWindow>(GetForegroundWindow());
}

bool Win32WindowActivation::setForegroundWindow(NativeWindow window)
{
    return SetForegroundWindow(handleOf(window)) != FALSE;
}

bool Win32WindowActivation::isLeftButtonDown() const
{
    // The high bit is the button's state now; the low bit only says it was pressed
    // at some time since the last call.
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
}

FrameEvent Win32WindowActivation::frameEvent(NativeWindow window, const char *eventType,
                                             void *message)
{
    if (std::strcmp(eventType, "windows_generic_MSG") != 0)
        return FrameEvent::None;
    const auto *msg = static_cast<const MSG *>(message);
    if (msg->hwnd != handleOf(window))
        return FrameEvent::None;
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

bool Win32WindowActivation::answerNoActivate(NativeWindow window, const char *eventType,
                                             void *message, std::intptr_t *result)
{
    if (std::strcmp(eventType, "windows_generic_MSG") != 0)
        return false;
    const auto *msg = static_cast<const MSG *>(message);
    if (msg->hwnd != handleOf(window) || msg->message != WM_MOUSEACTIVATE)
        return false;
    // Only clicks on the labels: a press on the frame activates the window on
    // purpose, so that it can be dragged.
    if (LOWORD(msg->lParam) != HTCLIENT ||
        (GetWindowLongW(msg->hwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE) == 0)
        return false;
    *result = MA_NOACTIVATE;
    return true;
}

} // namespace platform::win32
