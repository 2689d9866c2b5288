// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace platform {

/// Types into the application that has the keyboard focus.
class Keyboard
{
public:
    virtual ~Keyboard() = default;

    /// False when this system gives no way to type at all; errorString() says why.
    virtual bool isAvailable() const = 0;

    /// Types a character, Tab and newline as their keys. Returns false, with
    /// errorString() set, when nothing could be sent.
    virtual bool type(char32_t character) = 0;

    /// Presses and releases Backspace.
    virtual bool typeBackspace() = 0;

    /// Why the last call failed, or why typing is unavailable.
    virtual std::string errorString() const = 0;
};

} // namespace platform
