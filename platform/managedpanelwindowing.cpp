// SPDX-License-Identifier: GPL-3.0-or-later
#include "managedpanelwindowing.h"

#include <QWidget>
#include <QWindow>

namespace platform {

void ManagedPanelWindowing::place(QWidget &window, QPoint topLeft)
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

QPoint ManagedPanelWindowing::position(const QWidget &window) const
{
    return window.frameGeometry().topLeft();
}

} // namespace platform
