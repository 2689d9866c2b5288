// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace platform {

/// Reports that the system wants the program to end (a signal, the end of the
/// session), so that it can take the same orderly exit as "Quit" and keep the
/// user's settings.
class TerminationWatcher
{
public:
    virtual ~TerminationWatcher() = default;
    virtual void start(std::function<void()> onTerminate) = 0;
};

} // namespace platform
