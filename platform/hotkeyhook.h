// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "nativewindow.h"

#include <string>

namespace platform {

/// The link to the companion keyboard-hook library that reports the show/hide key;
/// HookShowHideKey's backends.
class HotkeyHook
{
public:
    enum class Outcome {
        NoLibrary,    ///< the library could not be loaded
        LoadedNoHook, ///< loaded, but an export is missing or the hook was refused
        Installed,
    };

    virtual ~HotkeyHook() = default;

    /// Loads the library, tells it which window to notify and installs its hook.
    /// Short of Installed, errorString() says what went wrong.
    virtual Outcome install(NativeWindow notifyWindow) = 0;

    virtual std::string errorString() const = 0;

    /// Removes the hook and unloads the library; safe to call more than once.
    virtual void remove() = 0;

    /// Reads a native event of the notify window. Returns true and fills functionKey
    /// (2 for F2) when it is the library's report of a key.
    virtual bool decodeHotkeyMessage(const char *eventType, void *message,
                                     int &functionKey) const = 0;

    /// Whether the hotkey message, once read, is kept from the windowing system's
    /// own processing. Windows passes it on, as a window procedure always has; Qt's
    /// X11 backend would only log its private ClientMessage type as unhandled.
    virtual bool keepsHotkeyMessage() const { return false; }
};

} // namespace platform
