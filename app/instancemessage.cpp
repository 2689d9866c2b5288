// SPDX-License-Identifier: GPL-3.0-or-later
#include "instancemessage.h"

#include <iterator>

namespace instancemessage {

namespace {

const QByteArray prefix = QByteArrayLiteral("ondrel/1 ");

struct Name
{
    Command command;
    const char *text;
};

constexpr Name names[] = {
    {Command::Show, "show"},         {Command::Toggle, "toggle"}, {Command::Hide, "hide"},
    {Command::Settings, "settings"}, {Command::Quit, "quit"},
};

} // namespace

QByteArray encode(Command command)
{
    for (const Name &name : names) {
        if (name.command == command)
            return prefix + name.text + '\n';
    }
    return {};
}

std::optional<Command> decode(const QByteArray &line)
{
    if (line.size() > maxLength || !line.startsWith(prefix))
        return std::nullopt;
    const QByteArray word = line.mid(prefix.size());
    for (const Name &name : names) {
        if (word == name.text)
            return name.command;
    }
    return std::nullopt;
}

} // namespace instancemessage
