// SPDX-License-Identifier: GPL-3.0-or-later
#include "managedpanelwindow.h"

#include <QWidget>
#include <QWindow>

namespace platform {

bool ManagedPanelWindow::adopt(QWidget &window)
{
    // Through QWindow rather than QWidget::setWindowFlag: the widget call recreates
    // the native window, while this one only rewrites the hint that the window
    // manager reads.
    window.winId();
    QWindow *handle = window.windowHandle();
    if (!handle)
        return false;
    handle->setFlag(Qt::WindowDoesNotAcceptFocus);
    return true;
}

void ManagedPanelWindow::place(QWidget &window, QPoint topLeft)
{
    // The panel's native window exists from the start, and Qt places such a window
    // by its client area unless its QWindow already holds the frame position when
    // the widget is shown.
    window.move(topLeft);
    if (QWindow *handle = window.windowHandle()) {
        handle->resize(window.size());
        handle->setFramePosition(topLeft);
    }
}

QPoint ManagedPanelWindow::position(const QWidget &window) const
{
    return window.frameGeometry().topLeft();
}

} // namespace platform
