// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeyreceiver.h"

#include "platform/hotkeyhook.h"

HotkeyReceiver::HotkeyReceiver(platform::HotkeyHook &hook) : m_hook(hook)
{
    setWindowTitle(QStringLiteral("Ondrel hotkey receiver"));
    winId(); // a native window, although it is never shown
}

bool HotkeyReceiver::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    unsigned virtualKey = 0;
    if (m_hook.decodeHotkeyMessage(eventType.constData(), message, virtualKey)) {
        emit keyPressed(virtualKey);
        if (m_hook.keepsHotkeyMessage())
            return true;
    }
    return QWidget::nativeEvent(eventType, message, result);
}
