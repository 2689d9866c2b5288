// SPDX-License-Identifier: GPL-3.0-or-later
#include "instancemessage.h"

#include "typedtext.h"

#include <iterator>

namespace instancemessage {

namespace {

const QByteArray prefix = QByteArrayLiteral("ondrel/1 ");
const QByteArray typePrefix = QByteArrayLiteral("ondrel/1 type ");

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

QByteArray encodeType(const std::u32string &text)
{
    const TypedText checked = TypedText::fromCharacters(text);
    if (!checked.isValid())
        return {};
    return typePrefix + checked.codePoints().toLatin1() + '\n';
}

std::optional<Message> decode(const QByteArray &line)
{
    if (line.startsWith(typePrefix)) {
        if (line.size() > maxTypeLength)
            return std::nullopt;
        const QByteArray words = line.mid(typePrefix.size());
        // Only the U+ words and single spaces that encodeType writes.
        for (const char byte : words) {
            if (!(QChar::isLetterOrNumber(uchar(byte)) && uchar(byte) < 0x80) && byte != '+' &&
                byte != ' ')
                return std::nullopt;
        }
        const TypedText text = TypedText::fromCodePoints(QString::fromLatin1(words));
        if (!text.isValid())
            return std::nullopt;
        return Message{Command::Type, text.characters()};
    }
    if (line.size() > maxLength || !line.startsWith(prefix))
        return std::nullopt;
    const QByteArray word = line.mid(prefix.size());
    for (const Name &name : names) {
        if (word == name.text)
            return Message{name.command, {}};
    }
    return std::nullopt;
}

} // namespace instancemessage
