// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Decides which key events the hook library reports. Plain C++ for both libraries.

#include "kestrine.h"

namespace kestrine {

/// The keys that can show and hide the panel: F2 (VK_F2) to F12 (VK_F12). A keyboard
/// hook sees everything the user types, so the library tells about nothing else.
constexpr unsigned FirstReportedKey = virtualKeyOfFunctionKey(2);
constexpr unsigned LastReportedKey = virtualKeyOfFunctionKey(12);

enum class Transition { Press, Release, Other };

/// Reads the transition from a low-level keyboard hook's WPARAM.
constexpr Transition transitionOf(std::uintptr_t wParam)
{
    if (wParam == WmKeyDown || wParam == WmSysKeyDown)
        return Transition::Press;
    if (wParam == WmKeyUp || wParam == WmSysKeyUp)
        return Transition::Release;
    return Transition::Other;
}

/// Turns key events into one report per physical press. A held key repeats its
/// key-down events; each report toggles the panel, so the repeats must be dropped
/// until the key has been released.
class PressFilter
{
public:
    /// True when the event is a new press of a reported key.
    bool isNewPress(unsigned virtualKey, Transition transition)
    {
        if (virtualKey < FirstReportedKey || virtualKey > LastReportedKey ||
            transition == Transition::Other)
            return false;
        bool &held = m_held[virtualKey - FirstReportedKey];
        const bool wasHeld = held;
        held = transition == Transition::Press;
        return held && !wasHeld;
    }

private:
    bool m_held[LastReportedKey - FirstReportedKey + 1] = {};
};

} // namespace kestrine
