// SPDX-License-Identifier: GPL-3.0-or-later
#include "winpanelwindow.h"

#include "panelfocus.h"

#include <QWidget>
#include <QWindow>

namespace platform::qtwin {

WinPanelWindow::WinPanelWindow() = default;

WinPanelWindow::~WinPanelWindow() = default;

bool WinPanelWindow::adopt(QWidget &window)
{
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    // Qt hands the attribute to the native window only when it creates one, and
    // the panel's exists already: the property is what Qt's Windows plugin reads.
    if (QWindow *handle = window.windowHandle())
        handle->setProperty("_q_showWithoutActivating", true);
    m_focus = std::make_unique<PanelFocus>(window, m_activation);
    return true;
}

} // namespace platform::qtwin
