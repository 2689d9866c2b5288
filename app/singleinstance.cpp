// SPDX-License-Identifier: GPL-3.0-or-later
#include "singleinstance.h"

#include "applog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

namespace {

// How long a running Ondrel may take to start listening; after that its lock is
// taken for a dead one's.
constexpr int connectMilliseconds = 5000;
// Once connected, the running Ondrel is there: on a busy machine (or under Wine) its
// answer can take longer than a connection, and giving up early reports a live
// Ondrel as not responding although it carries the command out.
constexpr int answerMilliseconds = 15000;
constexpr int retryMilliseconds = 50;

SingleInstance::Delivery notResponding(const QLocalSocket &socket, const char *when)
{
    qCWarning(lcApp) << "The running Ondrel did not answer" << when << ":" << socket.errorString();
    return SingleInstance::Delivery::NotResponding;
}

} // namespace

SingleInstance::SingleInstance(const QString &lockFile, const QString &serverName)
    : m_lock(lockFile), m_serverName(serverName)
{
    // Only a lock whose process is gone is stale; a lock that is merely old is the
    // running Ondrel's.
    m_lock.setStaleLockTime(0);
}

SingleInstance::Role SingleInstance::claim()
{
    if (m_lock.tryLock(0))
        return Role::First;
    switch (m_lock.error()) {
    case QLockFile::LockFailedError:
        return Role::Later;
    case QLockFile::PermissionError:
        m_errorString =
            QCoreApplication::translate("SingleInstance", "Ondrel may not write to the folder %1.")
                .arg(QDir::toNativeSeparators(QFileInfo(m_lock.fileName()).path()));
        return Role::Unknown;
    default:
        m_errorString =
            QCoreApplication::translate("SingleInstance", "Ondrel cannot use its lock file %1.")
                .arg(QDir::toNativeSeparators(m_lock.fileName()));
        return Role::Unknown;
    }
}

SingleInstance::Delivery SingleInstance::deliver(const instancemessage::Message &message)
{
    QDeadlineTimer deadline(connectMilliseconds);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (socket.error() == QLocalSocket::SocketAccessError) {
            m_errorString = socket.errorString();
            return Delivery::Refused;
        }
        // The running Ondrel may have the lock but not be listening yet.
        if (deadline.hasExpired()) {
            qCInfo(lcApp) << "No running Ondrel took the connection:" << socket.errorString();
            return Delivery::Unheard;
        }
        QThread::msleep(retryMilliseconds);
    }
    deadline.setRemainingTime(answerMilliseconds);
    // No wait for the bytes written: on Windows the pipe may take them at once, and
    // the wait then reports a failure as there is nothing left to write. Waiting for
    // the answer sends what is still buffered, on every platform.
    socket.write(message.command == instancemessage::Command::Type
                     ? instancemessage::encodeType(message.text)
                     : instancemessage::encode(message.command));
    QByteArray answer;
    while (!answer.endsWith('\n')) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return notResponding(socket, "while waiting for the answer");
        answer += socket.readAll();
    }
    if (answer != instancemessage::acknowledgement)
        return notResponding(socket, "with an answer that is no acknowledgement");
    return Delivery::Done;
}

bool SingleInstance::takeOver()
{
    // The removal fails while the holder has the file open: Windows does not
    // delete a file that is open without shared deletion, and on Unix the holder
    // keeps an exclusive flock on it. It also fails when the file is gone already:
    // the holder was a start that ended at once, such as a `--hide` with nothing to
    // hide. The lock is free then, and this start is to be the running Ondrel.
    m_lock.removeStaleLockFile();
    // Fails while a holder has the file open, and when another start took the
    // lock over first; that one answers from now on.
    return m_lock.tryLock(0);
}
