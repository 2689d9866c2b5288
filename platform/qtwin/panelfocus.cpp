// SPDX-License-Identifier: GPL-3.0-or-later
#include "panelfocus.h"

#include "../platformlog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace platform::qtwin {

PanelFocus::PanelFocus(QWidget &panel, win32::WindowActivation &activation)
    : m_panel(panel), m_activation(activation),
      m_handOver(
          activation, [&panel] { return NativeWindow(panel.winId()); },
          [](const std::string &warning) {
              qCWarning(lcPlatform).noquote() << QString::fromStdString(warning);
          })
{
    // Non-activating from the start, before the very first show.
    m_handOver.enableNoActivate();
    panel.installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

PanelFocus::~PanelFocus()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

bool PanelFocus::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_panel) {
        // Qt sends Show before it maps the window, so the window manager reads the
        // new input hint with the map request.
        if (event->type() == QEvent::Show)
            m_handOver.enableNoActivate();
        else if (event->type() == QEvent::Hide)
            m_handOver.disableNoActivate();
    }
    return QObject::eventFilter(watched, event);
}

bool PanelFocus::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result)
{
    const auto window = NativeWindow(m_panel.internalWinId());
    if (!window)
        return false;
    std::intptr_t answer = 0;
    if (m_handOver.isNoActivate() &&
        m_activation.answerNoActivate(window, eventType.constData(), message, &answer)) {
        if (result)
            *result = answer;
        return true;
    }
    // Frame messages are never consumed: the system's own frame handling (moving,
    // the system menu, the close button) must follow.
    m_handOver.handle(m_activation.frameEvent(window, eventType.constData(), message));
    return false;
}

} // namespace platform::qtwin
