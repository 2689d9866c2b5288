// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32hotkeyhook.h"

#include "win32error.h"

#include "hooklib/kestrine.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace platform::win32 {

namespace {

using SetAppHwndFunction = void(__cdecl *)(HWND);

/// Kestrine.dll in the folder of the running program, or an empty string. The
/// library runs inside a global keyboard hook, so it is only ever loaded by this
/// absolute path: never through the search path, which includes the current
/// directory, where anyone could have put a file of that name.
std::wstring libraryPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::wstring::size_type separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return std::wstring();
    path.resize(separator + 1);
    return path + L"Kestrine.dll";
}

template <typename Function> Function lookUp(HMODULE library, const char *name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(library, name)));
}

} // namespace

Win32HotkeyHook::~Win32HotkeyHook()
{
    remove();
}

HotkeyHook::Outcome Win32HotkeyHook::install(NativeWindow notifyWindow)
{
    remove();
    m_errorString.clear();
    const std::wstring path = libraryPath();
    if (path.empty())
        return fail(Outcome::NoLibrary, "the program's own folder is unknown", GetLastError());
    // The library's own imports, too, come only from its folder and System32.
    HMODULE library = LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library)
        return fail(Outcome::NoLibrary, "cannot load " + utf8(path), GetLastError());
    // From here on the library stays loaded until remove(), whatever happens.
    m_library = library;

    const auto setAppHwnd = lookUp<SetAppHwndFunction>(library, "setAppHwnd");
    if (!setAppHwnd)
        return fail(Outcome::LoadedNoHook, utf8(path) + " has no setAppHwnd", GetLastError());
    setAppHwnd(reinterpret_cast<HWND>(notifyWindow));

    const auto keyboardProc = lookUp<HOOKPROC>(library, "_LowLevelKeyboardProc@12");
    if (!keyboardProc)
        return fail(Outcome::LoadedNoHook, utf8(path) + " has no _LowLevelKeyboardProc@12",
                    GetLastError());
    m_hook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, library, 0);
    if (!m_hook)
        return fail(Outcome::LoadedNoHook, "the keyboard hook was refused", GetLastError());
    return Outcome::Installed;
}

HotkeyHook::Outcome Win32HotkeyHook::fail(Outcome outcome, const std::string &what,
                                          unsigned long errorCode)
{
    m_errorString = what + ": " + errorText(errorCode);
    return outcome;
}

void Win32HotkeyHook::remove()
{
    if (m_hook)
        UnhookWindowsHookEx(static_cast<HHOOK>(m_hook));
    m_hook = nullptr;
    if (m_library)
        FreeLibrary(static_cast<HMODULE>(m_library));
    m_library = nullptr;
}

bool Win32HotkeyHook::decodeHotkeyMessage(const char *eventType, void *message,
                                          int &functionKey) const
{
    if (std::strcmp(eventType, "windows_generic_MSG") != 0)
        return false;
    const auto *msg = static_cast<const MSG *>(message);
    if (msg->message != kestrine::HotkeyMessage)
        return false;
    functionKey = kestrine::functionKeyOfVirtualKey(msg->wParam);
    return true;
}

} // namespace platform::win32
