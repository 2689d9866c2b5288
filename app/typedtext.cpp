// SPDX-License-Identifier: GPL-3.0-or-later
#include "typedtext.h"

#include <QRegularExpression>

namespace {

QString codePointName(char32_t character)
{
    return QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
}

bool isSurrogate(char32_t character)
{
    return character >= 0xD800 && character <= 0xDFFF;
}

/// Tab and newline type keys of their own; every other control character would
/// reach the application as a key it could take for a command.
bool isRefusedControl(char32_t character)
{
    if (character == U'\t' || character == U'\n')
        return false;
    return character < 0x20 || (character >= 0x7F && character < 0xA0);
}

} // namespace

TypedText TypedText::fromArgument(const QString &argument)
{
    static const QRegularExpression codePointStart(QStringLiteral("^\\s*[Uu]\\+"));
    if (codePointStart.match(argument).hasMatch())
        return fromCodePoints(argument);

    TypedText text;
    // Decoded by hand: QString::toUcs4 would pass an unpaired surrogate on as a
    // replacement character, which the user never asked for.
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar unit = argument.at(i);
        if (unit.isHighSurrogate() && i + 1 < argument.size() &&
            argument.at(i + 1).isLowSurrogate()) {
            text.m_characters.push_back(QChar::surrogateToUcs4(unit, argument.at(i + 1)));
            ++i;
        } else {
            text.m_characters.push_back(unit.unicode());
        }
    }
    return text.check();
}

TypedText TypedText::fromCodePoints(const QString &words)
{
    static const QRegularExpression codePoint(QStringLiteral("^[Uu]\\+([0-9A-Fa-f]{1,6})$"));
    TypedText text;
    for (const QString &word :
         words.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = codePoint.match(word);
        const uint value = match.hasMatch() ? match.captured(1).toUInt(nullptr, 16) : 0;
        if (!match.hasMatch() || value > 0x10FFFF) {
            text.m_error = tr("'%1' is no code point; write them as U+2554, separated by spaces.")
                               .arg(word.left(20));
            return text.check(); // drops what was read before
        }
        text.m_characters.push_back(value);
        // A long text stops here already: it is refused in any case.
        if (text.m_characters.size() > maxCharacters)
            break;
    }
    return text.check();
}

TypedText TypedText::fromCharacters(const std::u32string &characters)
{
    TypedText text;
    text.m_characters = characters;
    return text.check();
}

TypedText &TypedText::check()
{
    if (m_error.isEmpty())
        m_error = problem();
    if (!m_error.isEmpty())
        m_characters.clear();
    return *this;
}

QString TypedText::problem() const
{
    if (m_characters.empty())
        return tr("There is nothing to type.");
    if (m_characters.size() > maxCharacters)
        return tr("At most %1 characters can be typed at once.").arg(maxCharacters);
    for (const char32_t character : m_characters) {
        if (isSurrogate(character))
            return tr("%1 is half of a surrogate pair, no character.")
                .arg(codePointName(character));
        if (isRefusedControl(character))
            return tr("%1 is a control character; only Tab and newline can be typed.")
                .arg(codePointName(character));
    }
    return {};
}

QString TypedText::codePoints() const
{
    QStringList words;
    for (const char32_t character : m_characters)
        words << codePointName(character);
    return words.join(QLatin1Char(' '));
}
