// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for a library that someone planted under the hook library's name in the
// current directory. It betrays being loaded by leaving a file there.

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        const HANDLE marker = CreateFileW(L"planted-kestrine-was-loaded", GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (marker != INVALID_HANDLE_VALUE)
            CloseHandle(marker);
    }
    return TRUE;
}
