// SPDX-License-Identifier: GPL-3.0-or-later
// The application typed into by the Windows end-to-end tests: a window with an edit
// control. Every 50 ms it writes what the tests cannot see from outside to the file
// named by its argument, replaced whole so that a reader never sees half of it:
//   foreground=<0|1>   its window is the foreground window
//   focus=<0|1>        its edit control has the keyboard focus
//   text=<hex>         the edit control's text, UTF-8, in hex
// It ends when a file named "stop" appears beside that file.

#include <windows.h>

#include <string>

namespace {

HWND g_main = nullptr;
HWND g_edit = nullptr;
std::wstring g_status;
std::wstring g_stop;

std::string hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string utf8(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

void writeStatus()
{
    std::wstring text(size_t(GetWindowTextLengthW(g_edit)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(g_edit, text.data(), int(text.size()))));
    const std::string status = "foreground=" + std::to_string(GetForegroundWindow() == g_main) +
                               "\nfocus=" + std::to_string(GetFocus() == g_edit) +
                               "\ntext=" + hex(utf8(text)) + "\n";
    const std::wstring partial = g_status + L".new";
    const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, status.data(), DWORD(status.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(partial.c_str(), g_status.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_edit = CreateWindowExW(0, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL,
                                 0, 0, 400, 200, window, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        SetTimer(window, 1, 50, nullptr);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_edit);
        return 0;
    case WM_TIMER:
        writeStatus();
        if (GetFileAttributesW(g_stop.c_str()) != INVALID_FILE_ATTRIBUTES)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
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
    if (g_status.size() >= 2 && g_status.front() == L'"')
        g_status = g_status.substr(1, g_status.size() - 2);
    g_stop = g_status.substr(0, g_status.find_last_of(L"\\/") + 1) + L"stop";

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"OndrelEditProbe";
    RegisterClassW(&windowClass);
    g_main = CreateWindowExW(0, windowClass.lpszClassName, L"Ondrel edit probe",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 420, 240, nullptr, nullptr,
                             instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
