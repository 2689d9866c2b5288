// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "autorun.h"
#include "codepage.h"
#include "keyboard.h"
#include "panelwindow.h"
#include "session.h"
#include "showhidekey.h"
#include "termination.h"

#include <memory>

namespace platform {

/// Everything the program needs of the operating system, one service each.
struct Services
{
    std::unique_ptr<Keyboard> keyboard;
    std::unique_ptr<CodePageSource> codePage;
    std::unique_ptr<ShowHideKey> showHideKey;
    std::unique_ptr<Autorun> autorun;
    std::unique_ptr<TerminationWatcher> termination;
    std::unique_ptr<PanelWindow> panelWindow;
    /// Whether the tray host shows no menus of its own (a StatusNotifierItem host such
    /// as swaybar), so that a right click on the icon opens the panel's menu instead.
    bool trayMenuInPanel = false;
    /// What the user must know about typing on this desktop; empty when it works.
    std::string notice;
};

/// The services of the window system chosen at start (chooseWindowSystem), once
/// the application object exists. Each system's composition root defines this once;
/// the build picks it.
std::unique_ptr<Services> createNativeServices(const WindowSystem &system);

} // namespace platform
