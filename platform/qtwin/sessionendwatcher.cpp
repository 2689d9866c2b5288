// SPDX-License-Identifier: GPL-3.0-or-later
#include "sessionendwatcher.h"

#include <QGuiApplication>
#include <QSessionManager>

namespace platform::qtwin {

SessionEndWatcher::~SessionEndWatcher()
{
    QObject::disconnect(m_connection);
}

void SessionEndWatcher::start(std::function<void()> onTerminate)
{
    QObject::disconnect(m_connection);
    m_connection = QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                                    [onTerminate](QSessionManager &) {
                                        if (onTerminate)
                                            onTerminate();
                                    });
}

} // namespace platform::qtwin
