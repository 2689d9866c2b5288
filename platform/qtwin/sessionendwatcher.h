// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../termination.h"

#include <QMetaObject>

namespace platform::qtwin {

/// Windows asks running programs to save their work when the user logs off or shuts
/// down, and may end the process as soon as they have answered, before the event
/// loop returns. The request arrives through Qt's session management.
class SessionEndWatcher : public TerminationWatcher
{
public:
    ~SessionEndWatcher() override;
    void start(std::function<void()> onTerminate) override;

private:
    QMetaObject::Connection m_connection;
};

} // namespace platform::qtwin
