// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace platform {

/// Whether the program starts with the user's desktop session.
class Autorun
{
public:
    virtual ~Autorun() = default;

    /// True when the stored entry starts exactly this executable.
    virtual bool isEnabled(const std::string &executablePath) const = 0;

    /// Writes or removes the entry. Returns false, with errorString() set, when the
    /// change could not be made.
    virtual bool setEnabled(const std::string &executablePath, bool enabled) = 0;

    virtual std::string errorString() const = 0;
};

} // namespace platform
