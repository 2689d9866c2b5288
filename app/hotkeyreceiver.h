// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace platform {
class HotkeyHook;
}

/// A window that is never shown and exists only for the hook library to send its
/// key messages to.
class HotkeyReceiver : public QWidget
{
    Q_OBJECT

public:
    explicit HotkeyReceiver(platform::HotkeyHook &hook);

    /// Reads the window's native events; public so that tests can deliver them.
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    /// The hook library reported a press of this Windows virtual key.
    void keyPressed(unsigned virtualKey);

private:
    platform::HotkeyHook &m_hook;
};
