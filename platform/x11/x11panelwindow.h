// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../panelwindow.h"

#include <memory>

namespace platform::x11 {

class StackingGuard;

/// The panel as a window that no window manager manages (override-redirect), with a
/// title strip of its own. A managed window is at the mercy of the window manager's
/// button grab: a click-to-focus manager freezes the pointer at each press on it
/// until it has handled the press, and while it re-reads the keyboard map (which
/// typing a new character changes) a quick move to the next cell lends its position
/// to the release, so the click types nothing. No window manager stands between an
/// unmanaged window and its clicks, and none gives it the focus.
class X11PanelWindow : public PanelWindow
{
public:
    X11PanelWindow();
    ~X11PanelWindow() override;

    bool drawsOwnDecorations() const override { return true; }
    bool adopt(QWidget &window) override;
    void place(QWidget &window, QPoint topLeft) override;
    QPoint position(const QWidget &window) const override;

private:
    std::unique_ptr<StackingGuard> m_guard;
};

} // namespace platform::x11
