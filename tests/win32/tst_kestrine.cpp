// SPDX-License-Identifier: GPL-3.0-or-later
// Kestrine.dll as the system runs it: installed as a low-level keyboard hook, it must
// post one message 5556 per press of F2 to F12 and nothing else, pass every key on,
// and fall silent once unhooked.

#include "check.h"
#include "keyrecorder.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr UINT hotkeyMessage = 5556;

struct Key
{
    unsigned virtualKey;
    bool up;
};

std::wstring besideThisProgram(const wchar_t *fileName)
{
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + fileName;
}

/// Injects the keys and returns the virtual keys of the hotkey messages that
/// reached the window while they went through the hooks.
std::vector<WPARAM> pressAndCollect(wintest::Checks &checks, wintest::KeyRecorder &recorder,
                                    HWND window, const std::vector<Key> &keys,
                                    const std::string &what)
{
    recorder.clear();
    for (const Key &key : keys)
        keybd_event(static_cast<BYTE>(key.virtualKey),
                    static_cast<BYTE>(MapVirtualKeyW(key.virtualKey, MAPVK_VK_TO_VSC)),
                    key.up ? KEYEVENTF_KEYUP : 0, 0);
    std::vector<WPARAM> reported;
    const bool settled = wintest::settle(recorder, keys.size(), window, [&](const MSG &msg) {
        if (msg.hwnd == window && msg.message == hotkeyMessage)
            reported.push_back(msg.wParam);
    });
    checks.check(settled, what + ": every key went through the hooks");
    checks.equal(recorder.keys().size(), keys.size(),
                 what + ": the next hook saw each key once (none swallowed)");
    return reported;
}

std::string list(const std::vector<WPARAM> &keys)
{
    std::string text;
    for (const WPARAM key : keys)
        text += (text.empty() ? "" : " ") + std::to_string(key);
    return '[' + text + ']';
}

void checkReported(wintest::Checks &checks, const std::vector<WPARAM> &reported,
                   const std::vector<WPARAM> &expected, const std::string &what)
{
    checks.equal(list(reported), list(expected), what);
}

} // namespace

int main()
{
    wintest::Checks checks;

    // The test's own hook goes in first, so it is called after the library's: once it
    // has seen a key, the library has handled it.
    wintest::KeyRecorder recorder;
    if (!checks.check(recorder.isInstalled(), "the test's hook is installed"))
        return checks.finish();
    wintest::MessageWindow window;
    if (!checks.check(window.handle() != nullptr, "a window to notify"))
        return checks.finish();

    const std::wstring path = besideThisProgram(L"Kestrine.dll");
    const HMODULE library = LoadLibraryW(path.c_str());
    if (!checks.check(library != nullptr, "Kestrine.dll loads by its absolute path"))
        return checks.finish();
    using SetAppHwnd = void(__cdecl *)(HWND);
    const auto setAppHwnd = reinterpret_cast<SetAppHwnd>(
        reinterpret_cast<void *>(GetProcAddress(library, "setAppHwnd")));
    const auto procedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void *>(GetProcAddress(library, "_LowLevelKeyboardProc@12")));
    checks.check(setAppHwnd != nullptr, "setAppHwnd is exported");
    checks.check(procedure != nullptr, "_LowLevelKeyboardProc@12 is exported");
    if (!setAppHwnd || !procedure)
        return checks.finish();
    setAppHwnd(window.handle());
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, procedure, library, 0);
    if (!checks.check(hook != nullptr, "the library's procedure is installed as the hook"))
        return checks.finish();

    for (unsigned key = VK_F2; key <= VK_F12; ++key) {
        const std::string name = "F" + std::to_string(key - VK_F1 + 1);
        checkReported(
            checks,
            pressAndCollect(checks, recorder, window.handle(), {{key, false}, {key, true}}, name),
            {key}, name + " posts one message with its key");
    }

    const unsigned others[] = {VK_F1,   VK_F13,    'A',     '5',        VK_RETURN, VK_SPACE,
                               VK_BACK, VK_ESCAPE, VK_MENU, VK_NUMPAD5, VK_SHIFT};
    for (const unsigned key : others) {
        const std::string name = "virtual key " + std::to_string(key);
        checkReported(
            checks,
            pressAndCollect(checks, recorder, window.handle(), {{key, false}, {key, true}}, name),
            {}, name + " posts nothing");
    }

    checkReported(
        checks,
        pressAndCollect(
            checks, recorder, window.handle(),
            {{VK_F7, false}, {VK_F7, false}, {VK_F7, false}, {VK_F7, false}, {VK_F7, true}},
            "held F7"),
        {VK_F7}, "a held F7 that repeats posts one message");
    checkReported(checks,
                  pressAndCollect(checks, recorder, window.handle(),
                                  {{VK_F7, false}, {VK_F7, true}}, "F7 again"),
                  {VK_F7}, "F7 pressed again after its release posts again");
    checkReported(checks,
                  pressAndCollect(checks, recorder, window.handle(),
                                  {{VK_F2, false}, {VK_F3, false}, {VK_F3, true}, {VK_F2, true}},
                                  "F2 and F3 together"),
                  {VK_F2, VK_F3}, "two keys held together post one message each");
    // With Alt held, a function key arrives as WM_SYSKEYDOWN.
    checkReported(checks,
                  pressAndCollect(
                      checks, recorder, window.handle(),
                      {{VK_MENU, false}, {VK_F5, false}, {VK_F5, true}, {VK_MENU, true}}, "Alt+F5"),
                  {VK_F5}, "Alt+F5 posts one message for F5");

    checks.check(UnhookWindowsHookEx(hook) != FALSE, "the hook is removed");
    std::vector<Key> allKeys;
    for (unsigned key = VK_F2; key <= VK_F12; ++key) {
        allKeys.push_back({key, false});
        allKeys.push_back({key, true});
    }
    checkReported(checks, pressAndCollect(checks, recorder, window.handle(), allKeys, "unhooked"),
                  {}, "after unhooking, F2 to F12 post nothing");

    FreeLibrary(library);
    return checks.finish();
}
