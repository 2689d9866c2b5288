// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "instancemessage.h"

#include <QObject>

class QLocalServer;
class QLocalSocket;

/// The running Ondrel's ear for later starts: a local socket that only this user
/// can reach, on which each connection brings one command. Nothing is passed on that
/// was not read whole and checked.
class InstanceServer : public QObject
{
    Q_OBJECT

public:
    explicit InstanceServer(QObject *parent = nullptr);
    ~InstanceServer() override;

    /// Listens under a name that this process alone holds (it has the instance
    /// lock), so whatever socket is left there is a killed instance's and goes.
    bool listen(const QString &name);
    QString errorString() const;

signals:
    void messageReceived(const instancemessage::Message &message);

private:
    void accept();
    void read(QLocalSocket *socket);

    QLocalServer *m_server;
};
