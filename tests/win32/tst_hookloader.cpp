// SPDX-License-Identifier: GPL-3.0-or-later
// How the program finds its hook library: only as Kestrine.dll in its own folder,
// never through the search path. Run from a folder where a planted Kestrine.dll
// waits, as
//   tst_hookloader no-library-beside   (no Kestrine.dll beside this program)
//   tst_hookloader library-beside      (the real Kestrine.dll beside this program)

#include "check.h"
#include "keyrecorder.h"
#include "platform/win32/win32hotkeyhook.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

const wchar_t plantedMarker[] = L"planted-kestrine-was-loaded";

bool plantedWasLoaded()
{
    return GetFileAttributesW(plantedMarker) != INVALID_FILE_ATTRIBUTES;
}

bool plantedLibraryIsHere()
{
    return GetFileAttributesW(L"Kestrine.dll") != INVALID_FILE_ATTRIBUTES;
}

std::wstring modulePath(HMODULE module)
{
    wchar_t path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH * 4);
    return std::wstring(path, length);
}

std::wstring besideThisProgram(const wchar_t *fileName)
{
    std::wstring folder = modulePath(nullptr);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + fileName;
}

platform::NativeWindow native(HWND window)
{
    return reinterpret_cast<platform::NativeWindow>(window);
}

void checkWithoutLibraryBeside(wintest::Checks &checks, HWND window)
{
    checks.check(GetFileAttributesW(besideThisProgram(L"Kestrine.dll").c_str()) ==
                     INVALID_FILE_ATTRIBUTES,
                 "no Kestrine.dll beside the program");
    platform::win32::Win32HotkeyHook hook;
    checks.check(hook.install(native(window)) == platform::HotkeyHook::Outcome::NoLibrary,
                 "without Kestrine.dll beside the program, the hook reports no library");
    // The reason names the file and the system's error (ERROR_MOD_NOT_FOUND is 126).
    checks.check(hook.errorString().find("Kestrine.dll") != std::string::npos &&
                     hook.errorString().find("error 126") != std::string::npos,
                 "the reason names the library and the error: " + hook.errorString());
    checks.check(GetModuleHandleW(L"Kestrine.dll") == nullptr, "no Kestrine.dll is loaded");
    checks.check(!plantedWasLoaded(), "the planted library's code never ran");

    // The trap works: a load through the search path falls into it.
    const HMODULE naive = LoadLibraryW(L"Kestrine.dll");
    checks.check(naive != nullptr && plantedWasLoaded(),
                 "control: loading by bare name would have run the planted library");
    if (naive)
        FreeLibrary(naive);
}

void checkWithLibraryBeside(wintest::Checks &checks, HWND window)
{
    wintest::KeyRecorder recorder;
    if (!checks.check(recorder.isInstalled(), "the test's hook is installed"))
        return;
    platform::win32::Win32HotkeyHook hook;
    checks.check(hook.install(native(window)) == platform::HotkeyHook::Outcome::Installed,
                 "with Kestrine.dll beside the program, the hook is installed");
    const HMODULE loaded = GetModuleHandleW(L"Kestrine.dll");
    checks.check(loaded != nullptr, "a Kestrine.dll is loaded");
    const std::wstring expected = besideThisProgram(L"Kestrine.dll");
    checks.check(loaded && _wcsicmp(modulePath(loaded).c_str(), expected.c_str()) == 0,
                 "it is the one beside the program");
    checks.check(!plantedWasLoaded(), "the planted library's code never ran");

    // The installed hook reports a function key, and the message reads as one.
    keybd_event(VK_F6, static_cast<BYTE>(MapVirtualKeyW(VK_F6, MAPVK_VK_TO_VSC)), 0, 0);
    keybd_event(VK_F6, static_cast<BYTE>(MapVirtualKeyW(VK_F6, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP,
                0);
    int reports = 0;
    int reportedKey = 0;
    const bool settled = wintest::settle(recorder, 2, window, [&](const MSG &msg) {
        MSG copy = msg;
        int key = 0;
        if (msg.hwnd == window && hook.decodeHotkeyMessage("windows_generic_MSG", &copy, key)) {
            ++reports;
            reportedKey = key;
        }
    });
    checks.check(settled, "F6 went through the hooks");
    checks.equal(reports, 1, "F6 is reported once");
    checks.equal(reportedKey, 6, "the report names F6");

    hook.remove();
    checks.check(GetModuleHandleW(L"Kestrine.dll") == nullptr,
                 "removing the hook unloads the library");
}

} // namespace

int main(int argc, char **argv)
{
    wintest::Checks checks;
    const bool libraryBeside = argc == 2 && std::strcmp(argv[1], "library-beside") == 0;
    if (!checks.check(argc == 2 &&
                          (libraryBeside || std::strcmp(argv[1], "no-library-beside") == 0),
                      "called with library-beside or no-library-beside"))
        return checks.finish();

    DeleteFileW(plantedMarker);
    if (!checks.check(plantedLibraryIsHere(), "a planted Kestrine.dll is in the current directory"))
        return checks.finish();
    wintest::MessageWindow window;
    if (libraryBeside)
        checkWithLibraryBeside(checks, window.handle());
    else
        checkWithoutLibraryBeside(checks, window.handle());
    return checks.finish();
}
