// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

/// Windows virtual-key codes and flags that the panel sends on every system.
namespace vk {
constexpr unsigned Back = 0x08;
constexpr unsigned Menu = 0x12; // Alt
constexpr unsigned Numpad0 = 0x60;
constexpr unsigned Numpad9 = 0x69;
constexpr unsigned KeyUpFlag = 0x0002; // KEYEVENTF_KEYUP
} // namespace vk

/// The scan code that a PC keyboard's set 1 gives the keys the panel sends, as
/// MapVirtualKeyW answers on Windows; 0 for any other key. Systems that do not
/// compose Alt codes themselves answer with these, so the panel's calls are the same
/// everywhere.
constexpr unsigned pcScanCode(unsigned virtualKey)
{
    constexpr unsigned keypad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad9)
        return keypad[virtualKey - vk::Numpad0];
    if (virtualKey == vk::Menu)
        return 0x38;
    if (virtualKey == vk::Back)
        return 0x0E;
    return 0;
}

/// Injects key events into the application that has the keyboard focus.
/// The calls have the shape of Windows' keybd_event and MapVirtualKeyW, so the
/// panel sends the same sequence everywhere; other systems translate it.
class Keyboard
{
public:
    virtual ~Keyboard() = default;

    /// The scan code of a virtual key (MapVirtualKeyW with MAPVK_VK_TO_VSC).
    virtual unsigned scanCode(unsigned virtualKey) const = 0;

    /// Injects one key event. flags is 0 for a press and vk::KeyUpFlag for a release.
    virtual void sendKey(unsigned virtualKey, unsigned scanCode, unsigned flags) = 0;
};

} // namespace platform
