// SPDX-License-Identifier: GPL-3.0-or-later
#include "unixsignalwatcher.h"

#include "platform/platformlog.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform::posix {

namespace {

volatile std::sig_atomic_t writeEnd = -1;

constexpr std::array<int, 3> watchedSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int number)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    if (writeEnd >= 0) [[maybe_unused]]
        const auto written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

UnixSignalWatcher::UnixSignalWatcher() = default;

UnixSignalWatcher::~UnixSignalWatcher()
{
    if (m_pipe[1] < 0)
        return;
    for (int number : watchedSignals)
        std::signal(number, SIG_DFL);
    writeEnd = -1;
    m_notifier.reset();
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void UnixSignalWatcher::start(std::function<void()> onTerminate)
{
    m_onTerminate = std::move(onTerminate);
    if (m_pipe[1] >= 0)
        return;
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcPlatform) << "SIGTERM, SIGINT and SIGHUP will end Ondrel without saving:"
                              << "no pipe for them:" << std::strerror(errno);
        m_pipe[0] = m_pipe[1] = -1;
        return;
    }
    writeEnd = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readSignal(); });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : watchedSignals)
        ::sigaction(number, &action, nullptr);
}

void UnixSignalWatcher::readSignal()
{
    char buffer[16];
    while (::read(m_pipe[0], buffer, sizeof buffer) > 0) {
    }
    if (m_onTerminate)
        m_onTerminate();
}

} // namespace platform::posix
