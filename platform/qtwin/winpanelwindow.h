// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../managedpanelwindow.h"
#include "../win32/win32windowactivation.h"

#include <memory>

namespace platform::qtwin {

class PanelFocus;

/// The panel as a framed Windows window that never takes the foreground, except
/// while the user drags it by its title bar (the hand-over of PanelFocus). It is
/// shown with SW_SHOWNOACTIVATE, so that showing it leaves the foreground where it
/// is; the style and the answer to WM_MOUSEACTIVATE do so for clicks.
class WinPanelWindow : public ManagedPanelWindow
{
public:
    WinPanelWindow();
    ~WinPanelWindow() override;

    bool adopt(QWidget &window) override;

private:
    win32::Win32WindowActivation m_activation;
    std::unique_ptr<PanelFocus> m_focus;
};

} // namespace platform::qtwin
