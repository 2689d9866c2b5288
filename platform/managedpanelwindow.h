// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panelwindow.h"

namespace platform {

/// A panel window that the window manager frames and moves. It asks the manager
/// never to give it the focus (on X11, the input hint of WM_HINTS).
class ManagedPanelWindow : public PanelWindow
{
public:
    bool drawsOwnDecorations() const override { return false; }
    bool adopt(QWidget &window) override;
    void place(QWidget &window, QPoint topLeft) override;
    QPoint position(const QWidget &window) const override;
};

} // namespace platform
