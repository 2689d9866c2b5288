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
