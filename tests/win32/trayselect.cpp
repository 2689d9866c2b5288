// SPDX-License-Identifier: GPL-3.0-or-later
// Tells the Qt program running in this Wine session that its tray icon was clicked,
// with the message the Windows shell sends for a left click on a version 4 icon:
// NIN_SELECT, to the window and callback message that Qt's tray icon registers.
// Exits 0 once the message is posted, 1 where no Qt tray icon window is found.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    const UINT qtTrayCallback = WM_APP + 101;
    const UINT ninSelect = WM_USER;
    const HWND window = FindWindowW(nullptr, L"QTrayIconMessageWindow");
    if (!window)
        return 1;
    return PostMessageW(window, qtTrayCallback, 0, MAKELPARAM(ninSelect, 0)) ? 0 : 1;
}
