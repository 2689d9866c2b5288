// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform::ibus {

class EngineSwitch;

/// Ondrel's IBus engine, through the module (libondrel-ibus.so) in the first of
/// folders that holds it. nullptr, with the reason logged, where there is no module,
/// IBus's library is not installed, Qt's event loop does not run GLib's (whose
/// callbacks the module needs), or no ibus-daemon answers.
std::unique_ptr<EngineSwitch> openEngineSwitch(const std::vector<std::string> &folders);

} // namespace platform::ibus
