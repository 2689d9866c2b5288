// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../termination.h"

#include <memory>

class QSocketNotifier;

namespace platform::posix {

/// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread, through a pipe
/// that the handler writes to: a signal handler may do almost nothing itself.
class UnixSignalWatcher : public TerminationWatcher
{
public:
    UnixSignalWatcher();
    ~UnixSignalWatcher() override;

    void start(std::function<void()> onTerminate) override;

private:
    void readSignal();

    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_onTerminate;
};

} // namespace platform::posix
