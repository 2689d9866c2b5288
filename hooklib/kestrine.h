// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What Ondrel and its keyboard-hook library Kestrine agree on. On Windows the system
// calls the library's procedure; on X11 the program plays the system's part and calls
// it with the same Windows-shaped arguments, so both libraries share one contract.
// Plain C++ only: this header is compiled into the Windows library as well.

#include <cstdint>

namespace kestrine {

/// The message the library sends to the registered window; WPARAM is the virtual key.
constexpr unsigned HotkeyMessage = 5556;

/// Windows' virtual-key code of F1; those of F2 to F24 follow it.
constexpr std::uint32_t VkF1 = 0x70;

/// The virtual key of function key F<number>.
constexpr std::uint32_t virtualKeyOfFunctionKey(int number)
{
    return VkF1 + static_cast<std::uint32_t>(number - 1);
}

/// The number of the function key that a virtual key stands for (2 for F2), or 0.
constexpr int functionKeyOfVirtualKey(std::uintptr_t virtualKey)
{
    return virtualKey >= VkF1 && virtualKey < VkF1 + 24 ? static_cast<int>(virtualKey - VkF1) + 1
                                                        : 0;
}

/// The exports, looked up by exactly these names.
constexpr char SetAppHwndName[] = "setAppHwnd";
constexpr char KeyboardProcName[] = "_LowLevelKeyboardProc@12";
/// The keyboard procedure's name in the shared object for X11. Windows decorates a
/// standard-call function with the size of its arguments; ELF has no such decoration,
/// and its linkers would read the '@' as a symbol version, so the plain name is used.
constexpr char ElfKeyboardProcName[] = "LowLevelKeyboardProc";

/// On X11 the message travels as a ClientMessage of this type (format 32, data =
/// message, WPARAM, LPARAM).
constexpr char MessageAtomName[] = "_ONDREL_HOOK_MESSAGE";

/// Windows' HC_ACTION: the only hook code a low-level keyboard procedure acts on.
constexpr int HcAction = 0;

/// The key transitions of a low-level keyboard hook's WPARAM.
constexpr std::uintptr_t WmKeyDown = 0x100;
constexpr std::uintptr_t WmKeyUp = 0x101;
constexpr std::uintptr_t WmSysKeyDown = 0x104; // F10, or any key with Alt held
constexpr std::uintptr_t WmSysKeyUp = 0x105;

/// The flag of KeyRecord::flags that marks a release (LLKHF_UP).
constexpr std::uint32_t FlagUp = 0x80;

/// The record that LPARAM points to; laid out like Windows' KBDLLHOOKSTRUCT.
struct KeyRecord
{
    std::uint32_t vkCode;
    std::uint32_t scanCode;
    std::uint32_t flags;
    std::uint32_t time;
    std::uintptr_t extraInfo;
};

/// The X11 forms of the two exports. The window is an X window id.
using SetAppHwndFunction = void (*)(std::uintptr_t window);
using KeyboardProcFunction = std::intptr_t (*)(int code, std::uintptr_t wParam,
                                               std::intptr_t lParam);

} // namespace kestrine
