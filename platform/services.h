// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "autorun.h"
#include "codepage.h"
#include "hotkeyhook.h"
#include "keyboard.h"
#include "termination.h"
#include "windowactivation.h"

#include <memory>

namespace platform {

/// Everything the program needs of the operating system, one service each.
struct Services
{
    std::unique_ptr<WindowActivation> windowActivation;
    std::unique_ptr<Keyboard> keyboard;
    std::unique_ptr<CodePageSource> codePage;
    std::unique_ptr<HotkeyHook> hotkeyHook;
    std::unique_ptr<Autorun> autorun;
    std::unique_ptr<TerminationWatcher> termination;
};

/// The services of the system the program was built for. Each backend folder
/// defines this once; the build picks the folder.
std::unique_ptr<Services> createNativeServices();

} // namespace platform
