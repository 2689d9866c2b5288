// SPDX-License-Identifier: GPL-3.0-or-later
#include "instanceserver.h"

#include "applog.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

// A client that connects and then says nothing must not hold a connection forever.
constexpr int messageMilliseconds = 5000;

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
            qCWarning(lcApp) << "A later start sent no command in time; its connection is closed";
            socket->abort();
        });
        read(socket);
    }
}

void InstanceServer::read(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > instancemessage::maxLength) {
            qCWarning(lcApp) << "A later start sent an over-long message; its connection is closed";
            socket->abort();
        }
        return;
    }
    const QByteArray line = socket->readLine(instancemessage::maxLength + 2);
    if (!line.endsWith('\n')) {
        qCWarning(lcApp) << "A later start sent an over-long message; its connection is closed";
        socket->abort();
        return;
    }
    const std::optional<instancemessage::Command> command =
        instancemessage::decode(line.chopped(1));
    if (!command) {
        qCWarning(lcApp) << "A later start sent what is no command; its connection is closed:"
                         << line.trimmed();
        socket->abort();
        return;
    }
    // Answered first: the command may be to quit, and then no event loop is left
    // to send the answer.
    socket->write(instancemessage::acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    emit commandReceived(*command);
}
