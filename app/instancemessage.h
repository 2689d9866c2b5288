// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

/// What a later start of Ondrel asks the running one to do, and how it says so on
/// the local socket: one line, "ondrel/1 " and the command's name; for typing, the
/// name "type" and the characters as U+ words.
namespace instancemessage {

enum class Command {
    Show, ///< also what a plain second start asks for
    Toggle,
    Hide,
    Settings,
    Quit,
    Type,
};

struct Message
{
    Command command = Command::Show;
    std::u32string text; ///< what Command::Type types
};

/// Longer lines are no message of ours, and reading stops there.
constexpr int maxLength = 64;
/// The same for a message that types: its prefix and the longest text's U+ words.
constexpr int maxTypeLength = 16 + 9 * 256;

QByteArray encode(Command command);
/// The message that types the characters; empty for a text that may not be typed.
QByteArray encodeType(const std::u32string &text);

/// The message of a line without its end; nothing for a line that is not a
/// message, names no known command, or carries a text that may not be typed.
std::optional<Message> decode(const QByteArray &line);

/// The answer to a message that was carried out.
inline const QByteArray acknowledgement = QByteArrayLiteral("ok\n");

} // namespace instancemessage
