// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "instancemessage.h"

#include <QString>
#include <QStringList>

#include <string>

/// What the command line asks for. Parsed before any window system is touched, so
/// that --help and --version work without a display.
struct CommandLine
{
    enum class Action {
        Run,         ///< start, or pass the command to the running Ondrel
        ShowHelp,    ///< print text and end with 0
        ShowVersion, ///< print text and end with 0
        Fail,        ///< print text and end with 2
    };

    Action action = Action::Run;
    instancemessage::Command command = instancemessage::Command::Show;
    /// What --type types, checked whole.
    std::u32string typed;
    /// Whether a command was named; a plain start shows the panel only when
    /// another Ondrel runs already.
    bool commandGiven = false;
    /// The platform Qt is told to use (-platform, or QT_QPA_PLATFORM), if any: then
    /// Qt, not Ondrel, knows whether there is a display, and the choice is kept.
    QString platform;
    QString text;
};

/// Reads the arguments, the program's name first. Qt's own options, such as
/// -platform, are accepted and left for the application object.
CommandLine parseCommandLine(const QStringList &arguments);
