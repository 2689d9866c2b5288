// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "focushandover.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

class QWidget;

/// Keeps the panel from ever taking the keyboard focus, whatever shows it: the tray,
/// the show/hide key, a change in the settings dialog. The panel becomes
/// non-activating just before each show, and feeds the frame hand-over with the
/// system's messages for its window.
class PanelFocus : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    PanelFocus(QWidget &panel, platform::WindowActivation &activation);
    ~PanelFocus() override;

    const FocusHandOver &handOver() const { return m_handOver; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_panel;
    platform::WindowActivation &m_activation;
    FocusHandOver m_handOver;
};
