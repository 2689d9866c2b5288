// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../hotkeyhook.h"

#include <string>

namespace platform::win32 {

/// The hook library on Windows: Kestrine.dll from the program's own folder, its
/// procedure installed as a system-wide low-level keyboard hook. Plain Win32, no Qt.
class Win32HotkeyHook : public HotkeyHook
{
public:
    Win32HotkeyHook() = default;
    ~Win32HotkeyHook() override;
    Win32HotkeyHook(const Win32HotkeyHook &) = delete;
    Win32HotkeyHook &operator=(const Win32HotkeyHook &) = delete;

    Outcome install(NativeWindow notifyWindow) override;
    void remove() override;
    bool decodeHotkeyMessage(const char *eventType, void *message, int &functionKey) const override;
    std::string errorString() const override { return m_errorString; }

private:
    Outcome fail(Outcome outcome, const std::string &what, unsigned long errorCode);

    std::string m_errorString;
    void *m_library = nullptr; // HMODULE
    void *m_hook = nullptr;    // HHOOK
};

} // namespace platform::win32
