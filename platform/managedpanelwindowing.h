// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panelwindowing.h"

namespace platform {

/// A panel window that the window manager frames and moves, as on X11 and Windows.
class ManagedPanelWindowing : public PanelWindowing
{
public:
    bool drawsOwnDecorations() const override { return false; }
    bool adopt(QWidget &) override { return true; }
    void place(QWidget &window, QPoint topLeft) override;
    QPoint position(const QWidget &window) const override;
};

} // namespace platform
