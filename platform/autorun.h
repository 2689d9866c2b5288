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
    virtual void setEnabled(const std::string &executablePath, bool enabled) = 0;
};

} // namespace platform
