// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11windowactivation.h"

#include <QGuiApplication>
#include <QWindow>

namespace platform::x11 {

bool X11WindowActivation::setNoActivate(NativeWindow window, bool enabled)
{
    // Going through QWindow rather than QWidget::setWindowFlag matters: the widget
    // call recreates the native window and hides a visible panel, while the QWindow
    // call only rewrites WM_HINTS' input field, which is what the window manager reads.
    const auto windows = QGuiApplication::allWindows();
    for (QWindow *candidate : windows) {
        if (candidate->handle() && candidate->winId() == window) {
            candidate->setFlag(Qt::WindowDoesNotAcceptFocus, enabled);
            return true;
        }
    }
    return false;
}

} // namespace platform::x11
