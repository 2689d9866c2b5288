// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "instancemessage.h"

#include <QLockFile>
#include <QString>

/// One Ondrel per user and display. The first start takes a lock file, so that two
/// starts at the same moment cannot both win; later starts find it taken and pass
/// their command over the running Ondrel's socket instead.
class SingleInstance
{
public:
    SingleInstance(const QString &lockFile, const QString &serverName);

    enum class Role {
        First,   ///< this process holds the lock and is to be the running Ondrel
        Later,   ///< another process holds it
        Unknown, ///< the lock could not be taken or read; errorString() says why
    };
    /// Takes the lock if it is free. A lock left by a process that is gone counts
    /// as free.
    Role claim();

    enum class Delivery {
        Done,
        NotResponding, ///< no answer in time
        Refused,       ///< the socket does not let this process in
        Unheard,       ///< nothing listened on the socket for the whole wait
    };
    /// As a later start: hands the message to the running Ondrel and waits for
    /// its answer, up to a few seconds, as it may still be starting.
    Delivery deliver(const instancemessage::Message &message);

    /// After Delivery::Unheard: takes the lock from a holder that is no running
    /// Ondrel, such as an unrelated process that was given a killed Ondrel's
    /// process id. A process that still has the lock file open keeps it, however
    /// slowly it starts. Returns whether this process holds the lock now.
    bool takeOver();

    QString serverName() const { return m_serverName; }
    QString errorString() const { return m_errorString; }

private:
    QLockFile m_lock;
    QString m_serverName;
    QString m_errorString;
};
