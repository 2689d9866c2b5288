// SPDX-License-Identifier: GPL-3.0-or-later
#include "instanceserver.h"

#include "applog.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

namespace {

// A client that connects and then says nothing, or does not close after its answer,
// must not hold a connection forever.
constexpr int messageMilliseconds = 5000;

// Set on a connection once its command has been answered.
constexpr char answeredProperty[] = "ondrelAnswered";

} // namespace

InstanceServer::InstanceServer(QObject *parent) : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen(const QString &name)
{
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

QString InstanceServer::errorString() const
{
    return m_server->errorString();
}

void InstanceServer::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        QTimer::singleShot(messageMilliseconds, socket, [socket] {
            if (socket->property(answeredProperty).isValid())
                return; // the wait for the close has a time of its own
            qCWarning(lcApp) << "A later start sent no command in time; its connection is closed";
            socket->abort();
        });
        read(socket);
    }
}

void InstanceServer::read(QLocalSocket *socket)
{
    if (socket->property(answeredProperty).isValid()) {
        socket->readAll(); // one command a connection; anything after it is ignored
        return;
    }
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > instancemessage::maxTypeLength) {
            qCWarning(lcApp) << "A later start sent an over-long message; its connection is closed";
            socket->abort();
        }
        return;
    }
    // The longest message's cap; decode holds every other to its own.
    const QByteArray line = socket->readLine(instancemessage::maxTypeLength + 2);
    if (!line.endsWith('\n')) {
        qCWarning(lcApp) << "A later start sent an over-long message; its connection is closed";
        socket->abort();
        return;
    }
    const std::optional<instancemessage::Message> message =
        instancemessage::decode(line.chopped(1));
    if (!message) {
        qCWarning(lcApp) << "A later start sent what is no command; its connection is closed:"
                         << line.trimmed().left(instancemessage::maxLength);
        socket->abort();
        return;
    }
    // The later start closes the connection once it has read the answer, and only
    // then is the command carried out. Closing here instead loses the answer on
    // Windows, where disconnecting a pipe discards what the other end has not read
    // yet; and a quit carried out at once would close it the same way.
    socket->setProperty(answeredProperty, true);
    connect(socket, &QLocalSocket::disconnected, this,
            [this, message = *message] { emit messageReceived(message); });
    QTimer::singleShot(messageMilliseconds, socket, [this, socket, message = *message] {
        // The later start has its answer but does not close: it hangs, or was
        // stopped. Its command was acknowledged, so it is carried out all the same.
        socket->disconnect(this);
        emit messageReceived(message);
        socket->abort();
    });
    socket->write(instancemessage::acknowledgement);
    socket->flush();
}
