// SPDX-License-Identifier: GPL-3.0-or-later
// The panel window's activation style and its frame messages, on real windows.

#include "check.h"
#include "platform/win32/focushandover.h"
#include "platform/win32/win32windowactivation.h"

#include <windows.h>

#include <string>

namespace {

HWND createWindow(const wchar_t *title, DWORD extendedStyle)
{
    static bool registered = false;
    const wchar_t *className = L"OndrelTestWindow";
    if (!registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        registered = true;
    }
    return CreateWindowExW(extendedStyle, className, title, WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

LONG extendedStyle(HWND window)
{
    return GetWindowLongW(window, GWL_EXSTYLE);
}

platform::NativeWindow native(HWND window)
{
    return reinterpret_cast<platform::NativeWindow>(window);
}

void checkNoActivate(wintest::Checks &checks)
{
    platform::win32::Win32WindowActivation activation;
    const HWND window = createWindow(L"no-activate", WS_EX_TOOLWINDOW);
    if (!checks.check(window != nullptr, "CreateWindowExW made a window"))
        return;
    checks.check((extendedStyle(window) & WS_EX_NOACTIVATE) == 0, "a new window may activate");

    checks.check(activation.setNoActivate(native(window), true), "setting it reports success");
    checks.check((extendedStyle(window) & WS_EX_NOACTIVATE) != 0, "WS_EX_NOACTIVATE is set");
    checks.check((extendedStyle(window) & WS_EX_TOOLWINDOW) != 0,
                 "setting it keeps the other extended styles");

    activation.setNoActivate(native(window), true);
    checks.check((extendedStyle(window) & WS_EX_NOACTIVATE) != 0, "setting it twice leaves it set");

    activation.setNoActivate(native(window), false);
    checks.check((extendedStyle(window) & WS_EX_NOACTIVATE) == 0, "WS_EX_NOACTIVATE is cleared");
    checks.check((extendedStyle(window) & WS_EX_TOOLWINDOW) != 0,
                 "clearing it keeps the other extended styles");

    activation.setNoActivate(native(window), false);
    checks.check((extendedStyle(window) & WS_EX_NOACTIVATE) == 0,
                 "clearing it twice leaves it cleared");
    DestroyWindow(window);
    checks.check(!activation.setNoActivate(native(window), true),
                 "a window that is gone reports failure");
}

void checkForeground(wintest::Checks &checks)
{
    platform::win32::Win32WindowActivation activation;
    const HWND first = createWindow(L"first", 0);
    const HWND second = createWindow(L"second", 0);
    ShowWindow(first, SW_SHOW);
    ShowWindow(second, SW_SHOW);
    for (const HWND window : {first, second, first}) {
        activation.setForegroundWindow(native(window));
        checks.equal(activation.foregroundWindow(), native(window),
                     std::string("the foreground window is the one just brought forward (") +
                         (window == first ? "first" : "second") + ")");
    }
    DestroyWindow(second);
    DestroyWindow(first);
}

void checkFrameEvents(wintest::Checks &checks)
{
    platform::win32::Win32WindowActivation activation;
    const HWND window = createWindow(L"frame", 0);
    const HWND other = createWindow(L"other", 0);
    MSG msg = {};
    msg.hwnd = window;

    struct Case
    {
        const char *name;
        UINT message;
        platform::win32::FrameEvent expected;
    };
    const Case cases[] = {
        {"WM_NCLBUTTONDOWN", WM_NCLBUTTONDOWN, platform::win32::FrameEvent::ButtonPressed},
        {"WM_NCMOUSELEAVE", WM_NCMOUSELEAVE, platform::win32::FrameEvent::PointerLeft},
        {"WM_NCMOUSEMOVE", WM_NCMOUSEMOVE, platform::win32::FrameEvent::None},
        {"WM_LBUTTONDOWN", WM_LBUTTONDOWN, platform::win32::FrameEvent::None},
        {"WM_MOUSELEAVE", WM_MOUSELEAVE, platform::win32::FrameEvent::None},
        {"WM_NCRBUTTONDOWN", WM_NCRBUTTONDOWN, platform::win32::FrameEvent::None},
    };
    for (const Case &c : cases) {
        msg.message = c.message;
        checks.equal(
            static_cast<int>(activation.frameEvent(native(window), "windows_generic_MSG", &msg)),
            static_cast<int>(c.expected), std::string("frame event of ") + c.name);
        checks.equal(
            static_cast<int>(activation.frameEvent(native(window), "windows_dispatcher_MSG", &msg)),
            static_cast<int>(platform::win32::FrameEvent::None),
            std::string("another event type is no frame event: ") + c.name);
        checks.equal(
            static_cast<int>(activation.frameEvent(native(other), "windows_generic_MSG", &msg)),
            static_cast<int>(platform::win32::FrameEvent::None),
            std::string("another window's message is no frame event of ours: ") + c.name);
    }
    DestroyWindow(other);
    DestroyWindow(window);
}

/// The hand-over on real windows: a press on the panel's frame gives it the
/// foreground, and leaving the frame with the button up gives the foreground back to
/// the editor and makes the panel non-activating again.
void checkHandOver(wintest::Checks &checks)
{
    platform::win32::Win32WindowActivation activation;
    const HWND editor = createWindow(L"editor", 0);
    const HWND panel = createWindow(L"panel", WS_EX_TOPMOST);
    ShowWindow(editor, SW_SHOW);
    ShowWindow(panel, SW_SHOWNOACTIVATE);
    activation.setForegroundWindow(native(editor));
    std::string warnings;
    platform::win32::FocusHandOver handOver(
        activation, [panel] { return native(panel); },
        [&warnings](const std::string &warning) { warnings += warning; });
    handOver.enableNoActivate();
    checks.check((extendedStyle(panel) & WS_EX_NOACTIVATE) != 0, "the panel starts non-activating");

    handOver.handle(platform::win32::FrameEvent::ButtonPressed);
    checks.check((extendedStyle(panel) & WS_EX_NOACTIVATE) == 0,
                 "a frame press makes it activatable");
    checks.equal(activation.foregroundWindow(), native(panel), "and gives it the foreground");

    handOver.handle(platform::win32::FrameEvent::PointerLeft); // no button is down
    checks.check((extendedStyle(panel) & WS_EX_NOACTIVATE) != 0, "leaving makes it non-activating");
    checks.equal(activation.foregroundWindow(), native(editor), "the editor is in front again");
    checks.check(warnings.empty(), "no style change was refused: " + warnings);
    DestroyWindow(panel);
    DestroyWindow(editor);
}

} // namespace

int main()
{
    wintest::Checks checks;
    checkNoActivate(checks);
    checkForeground(checks);
    checkFrameEvents(checks);
    checkHandOver(checks);
    return checks.finish();
}
