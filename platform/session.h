// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace platform {

/// Where the one Ondrel of a user's graphical session holds its lock and listens
/// for later starts. Each display of a user has its own.
struct InstanceName
{
    std::string lockFile;
    std::string server; ///< for QLocalServer: a socket path, or a pipe name on Windows
};

InstanceName instanceName();

/// Whether there is a display to show windows on; without one, the toolkit would
/// abort the program.
bool hasGraphicalSession();

} // namespace platform
