// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

/// The two layers of escaping that a desktop entry's Exec key goes through: the
/// command line's quoting of each argument, and the key file's escaping of string
/// values. Getting either wrong makes a path with a blank, a quote or a backslash
/// start something else, or nothing.
namespace platform::xdg::desktopentry {

/// One argument as it stands in a command line: bare when it has no reserved
/// character, else in double quotes with ", `, $ and \ escaped; '%' doubled always.
QString quoteArgument(const QString &argument);

/// Splits a command line into its arguments, undoing quoteArgument. An unbalanced
/// quote makes the whole line unusable: the result is then empty.
QStringList splitCommandLine(const QString &commandLine);

/// A string value as the key file stores it (\\, \n, \t, \r; a leading blank as \s).
QString escapeValue(const QString &value);
QString unescapeValue(const QString &stored);

} // namespace platform::xdg::desktopentry
