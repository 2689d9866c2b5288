// SPDX-License-Identifier: GPL-3.0-or-later
// The edit control that the Windows end-to-end suite types into. Every 50 ms it
// replaces the file named by its argument with "<foreground> <focus> <hex>": whether
// its window is the foreground window, whether the edit control has the focus, and
// the control's text in UTF-8. It ends when a file "stop" appears beside that file.
#include <windows.h>

#include <string>

namespace {

HWND g_main, g_edit;
std::wstring g_status, g_stop;

void writeStatus()
{
    wchar_t text[256] = {};
    const int length = GetWindowTextW(g_edit, text, 256);
    char utf8[1024] = {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, 1024, nullptr, nullptr);
    std::string line = std::to_string(GetForegroundWindow() == g_main) + " " +
                       std::to_string(GetFocus() == g_edit) + " ";
    for (int i = 0; i < size; ++i)
        line += "0123456789abcdef"[(utf8[i] >> 4) & 15], line += "0123456789abcdef"[utf8[i] & 15];
    const std::wstring partial = g_status + L".new";
    const HANDLE file =
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(partial.c_str(), g_status.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFOCUS:
        SetFocus(g_edit);
        return 0;
    case WM_TIMER:
        writeStatus();
        if (GetFileAttributesW(g_stop.c_str()) != INVALID_FILE_ATTRIBUTES)
            PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    g_status = commandLine;
    g_stop = g_status.substr(0, g_status.find_last_of(L'\\') + 1) + L"stop";
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"OndrelEditProbe";
    RegisterClassW(&windowClass);
    g_main = CreateWindowExW(0, windowClass.lpszClassName, L"Ondrel edit probe",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 420, 240, nullptr, nullptr,
                             instance, nullptr);
    g_edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 400, 200,
                             g_main, nullptr, instance, nullptr);
    SetTimer(g_main, 1, 50, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
