// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../hotkeyhook.h"
#include "hooklib/kestrine.h"
#include "rawkeywatcher.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::x11 {

/// The hook library on X11. X has no system-wide keyboard hook to install the
/// library's procedure in, so this class plays that part: it watches the keys and
/// calls the procedure with the arguments Windows would give it. The library
/// answers with a ClientMessage to the notify window.
class X11HotkeyHook : public HotkeyHook
{
public:
    /// The library is looked for in these folders, in order (see hookLibraryCandidates).
    explicit X11HotkeyHook(std::vector<std::string> libraryFolders);
    ~X11HotkeyHook() override;

    Outcome install(NativeWindow notifyWindow) override;
    void remove() override;
    bool decodeHotkeyMessage(const char *eventType, void *message, int &functionKey) const override;
    bool keepsHotkeyMessage() const override { return true; }
    std::string errorString() const override { return m_errorString; }

    /// The file the library was loaded from, while it is loaded.
    const std::string &libraryPath() const { return m_libraryPath; }

private:
    void loadLibrary();
    void passKey(unsigned virtualKey, unsigned scanCode, bool pressed, unsigned long time);

    Outcome fail(Outcome outcome, std::string reason);

    std::vector<std::string> m_libraryFolders;
    std::string m_errorString;
    void *m_library = nullptr;
    std::string m_libraryPath;
    kestrine::KeyboardProcFunction m_keyboardProc = nullptr;
    RawKeyWatcher m_keys;
    std::uint32_t m_messageAtom = 0;
};

} // namespace platform::x11
