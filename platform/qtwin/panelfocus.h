// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../win32/focushandover.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

class QWidget;

namespace platform::qtwin {

/// Keeps the panel from ever taking the keyboard focus, whatever shows it: the tray,
/// the show/hide key, a change in the settings dialog. The panel becomes
/// non-activating just before each show, and feeds the frame hand-over with the
/// system's messages for its window.
class PanelFocus : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    PanelFocus(QWidget &panel, win32::WindowActivation &activation);
    ~PanelFocus() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_panel;
    win32::WindowActivation &m_activation;
    win32::FocusHandOver m_handOver;
};

} // namespace platform::qtwin
