// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11panelwindow.h"

#include "platform/platformlog.h"
#include "stackingguard.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace platform::x11 {

namespace {

bool isApplicationWindow(std::uint32_t window)
{
    const auto windows = QGuiApplication::allWindows();
    for (const QWindow *candidate : windows) {
        if (candidate->handle() && candidate->winId() == window)
            return true;
    }
    return false;
}

} // namespace

X11PanelWindow::X11PanelWindow() = default;

X11PanelWindow::~X11PanelWindow() = default;

bool X11PanelWindow::adopt(QWidget &window)
{
    // Qt gives a window with this hint the override-redirect attribute, and never
    // asks for the focus on a click into it.
    window.setWindowFlags(window.windowFlags() | Qt::FramelessWindowHint |
                          Qt::BypassWindowManagerHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus);
    const auto id = static_cast<std::uint32_t>(window.winId());
    m_guard = std::make_unique<StackingGuard>(&isApplicationWindow);
    if (!m_guard->start(id)) {
        qCWarning(lcPlatform) << "A window raised later may cover the panel";
        m_guard.reset();
    }
    return true;
}

void X11PanelWindow::place(QWidget &window, QPoint topLeft)
{
    // Without a frame, the window's position is the panel's.
    window.move(topLeft);
}

QPoint X11PanelWindow::position(const QWidget &window) const
{
    return window.pos();
}

} // namespace platform::x11
