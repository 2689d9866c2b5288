// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// What a later start of Ondrel asks the running one to do, and how it says so on
/// the local socket: one line, "ondrel/1 " and the command's name.
namespace instancemessage {

enum class Command {
    Show, ///< also what a plain second start asks for
    Toggle,
    Hide,
    Settings,
    Quit,
};

/// Longer lines are no message of ours, and reading stops there.
constexpr int maxLength = 64;

QByteArray encode(Command command);

/// The command of a line without its end; nothing for a line that is not a
/// message or names no known command.
std::optional<Command> decode(const QByteArray &line);

/// The answer to a message that was carried out.
inline const QByteArray acknowledgement = QByteArrayLiteral("ok\n");

} // namespace instancemessage
