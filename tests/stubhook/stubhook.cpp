// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the hook library, built with some or all of its exports. It leaves a
// trace of what happens to it in the file that ONDREL_STUB_MARKER names: its loading
// and unloading, and the calls it receives. Tests plant it where the program must
// not look, or put it where the program does look to see how a broken one is treated.

#include "hooklib/kestrine.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#define STUB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

__attribute__((format(printf, 1, 2))) void trace(const char *format, ...)
{
    const char *path = std::getenv("ONDREL_STUB_MARKER");
    if (!path || !*path)
        return;
    FILE *file = std::fopen(path, "a");
    if (!file)
        return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(file, format, arguments);
    va_end(arguments);
    std::fclose(file);
}

__attribute__((constructor)) void loaded()
{
    trace("loaded\n");
}

__attribute__((destructor)) void unloaded()
{
    // The program unloads the library before it writes its settings; a library left
    // loaded is unloaded only at process exit, after them. ONDREL_STUB_SETTINGS names
    // the settings file, so the trace tells the two apart.
    const char *settings = std::getenv("ONDREL_STUB_SETTINGS");
    struct stat status;
    const bool written = settings && *settings && stat(settings, &status) == 0;
    trace("unloaded settings-written=%d\n", written ? 1 : 0);
}

} // namespace

#ifdef STUB_SET_APP_HWND
STUB_EXPORT void setAppHwnd(std::uintptr_t window)
{
    trace("setAppHwnd %ju\n", static_cast<std::uintmax_t>(window));
}
#endif

#ifdef STUB_KEYBOARD_PROC
STUB_EXPORT std::intptr_t LowLevelKeyboardProc(int code, std::uintptr_t wParam,
                                               std::intptr_t lParam)
{
    // Named as the user knows them, so that the tests read without Windows' numbers.
    const auto *record = reinterpret_cast<const kestrine::KeyRecord *>(lParam);
    const char *transition = "other";
    if (wParam == kestrine::WmKeyDown || wParam == kestrine::WmSysKeyDown)
        transition = "press";
    else if (wParam == kestrine::WmKeyUp || wParam == kestrine::WmSysKeyUp)
        transition = "release";
    trace("key %d %s F%d\n", code, transition,
          record ? kestrine::functionKeyOfVirtualKey(record->vkCode) : 0);
    return 0;
}
#endif
