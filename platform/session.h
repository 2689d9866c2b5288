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

/// A file of this user's and display's own, in the runtime folder, for state that
/// must not outlive the session: the name's ending is the caller's.
std::string sessionFile(const std::string &suffix);

/// Whether there is a display to show windows on; without one, the toolkit would
/// abort the program.
bool hasGraphicalSession();

/// The window system the program runs on, as chosen before the toolkit starts.
struct WindowSystem
{
    enum class Kind {
        Native,  ///< Windows, or X11
        Wayland, ///< a compositor that lets the panel float and type (wlroots)
        WaylandWithoutTyping,
    };
    Kind kind = Kind::Native;
    /// What the user must know about this desktop at start: empty when every
    /// feature works. Already translated.
    std::string notice;
};

/// Chooses the window system and tells the toolkit, before the application object
/// exists. platform is the one named on the command line or in QT_QPA_PLATFORM, if
/// any: that choice is the user's and is kept.
WindowSystem chooseWindowSystem(const std::string &platform);

} // namespace platform
