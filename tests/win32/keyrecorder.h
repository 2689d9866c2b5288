// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the Windows test programs share: the test's own low-level keyboard hook,
// which records every key event the system delivers, and a hidden window whose
// message queue the programs pump while they wait.

#include <windows.h>

#include <vector>

namespace wintest {

struct RecordedKey
{
    unsigned virtualKey;
    unsigned scanCode;
    bool up;           // LLKHF_UP
    bool upTransition; // WPARAM was WM_KEYUP or WM_SYSKEYUP
};

/// Records the key events that a WH_KEYBOARD_LL hook sees. One per process: the
/// hook procedure has no other way to find it.
class KeyRecorder
{
public:
    KeyRecorder()
    {
        s_recorder = this;
        m_hook = SetWindowsHookExW(WH_KEYBOARD_LL, &KeyRecorder::procedure,
                                   GetModuleHandleW(nullptr), 0);
    }
    ~KeyRecorder()
    {
        if (m_hook)
            UnhookWindowsHookEx(m_hook);
        s_recorder = nullptr;
    }
    KeyRecorder(const KeyRecorder &) = delete;
    KeyRecorder &operator=(const KeyRecorder &) = delete;

    bool isInstalled() const { return m_hook != nullptr; }
    const std::vector<RecordedKey> &keys() const { return m_keys; }
    void clear() { m_keys.clear(); }

private:
    static LRESULT CALLBACK procedure(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION && s_recorder) {
            const auto *record = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
            s_recorder->m_keys.push_back({record->vkCode, record->scanCode,
                                          (record->flags & LLKHF_UP) != 0,
                                          wParam == WM_KEYUP || wParam == WM_SYSKEYUP});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline KeyRecorder *s_recorder = nullptr;
    HHOOK m_hook = nullptr;
    std::vector<RecordedKey> m_keys;
};

/// A message-only window: it receives posted messages but never the keyboard
/// focus, so the keys the tests inject go nowhere but to the hooks.
class MessageWindow
{
public:
    MessageWindow()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"OndrelTestMessageWindow";
        RegisterClassW(&windowClass);
        m_handle = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, windowClass.hInstance, nullptr);
    }
    ~MessageWindow()
    {
        if (m_handle)
            DestroyWindow(m_handle);
    }
    MessageWindow(const MessageWindow &) = delete;
    MessageWindow &operator=(const MessageWindow &) = delete;

    HWND handle() const { return m_handle; }

private:
    HWND m_handle = nullptr;
};

/// Pumps the thread's messages (which also runs its low-level hooks) until
/// done() holds or the timeout passes; hands each message for the window to
/// seen() first. Returns whether done() held in time.
template <typename Done, typename Seen>
bool pumpUntil(Done done, Seen seen, DWORD timeoutMs = 10000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            seen(msg);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                  QS_ALLINPUT);
    }
}

/// Waits until the recorder has seen `count` key events and then until a message
/// posted afterwards to the window comes back, so every message posted while those
/// keys went through the hooks has been handed to seen() by then.
template <typename Seen>
bool settle(const KeyRecorder &recorder, std::size_t count, HWND window, Seen seen)
{
    if (!pumpUntil([&] { return recorder.keys().size() >= count; }, seen))
        return false;
    constexpr UINT settleMessage = WM_APP + 77;
    PostMessageW(window, settleMessage, 0, 0);
    bool back = false;
    return pumpUntil([&] { return back; },
                     [&](const MSG &msg) {
                         if (msg.message == settleMessage)
                             back = true;
                         else
                             seen(msg);
                     });
}

} // namespace wintest
