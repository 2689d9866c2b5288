// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktopentry.h"

namespace platform::xdg::desktopentry {

namespace {

const QString reservedCharacters = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
const QString escapedInQuotes = QStringLiteral("\"`$\\");

bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

} // namespace

QString quoteArgument(const QString &argument)
{
    bool needsQuotes = argument.isEmpty();
    for (QChar c : argument)
        needsQuotes = needsQuotes || reservedCharacters.contains(c);

    QString result;
    if (needsQuotes)
        result += QLatin1Char('"');
    for (QChar c : argument) {
        if (c == QLatin1Char('%'))
            result += QLatin1Char('%'); // a lone % would start a field code
        else if (needsQuotes && escapedInQuotes.contains(c))
            result += QLatin1Char('\\');
        result += c;
    }
    if (needsQuotes)
        result += QLatin1Char('"');
    return result;
}

QStringList splitCommandLine(const QString &commandLine)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine.at(i);
        const QChar next = i + 1 < commandLine.size() ? commandLine.at(i + 1) : QChar();
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && escapedInQuotes.contains(next)) {
                current += next;
                ++i;
            } else if (c == QLatin1Char('%') && next == QLatin1Char('%')) {
                current += c;
                ++i;
            } else {
                current += c;
            }
            continue;
        }
        if (isSeparator(c)) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('"')) {
            inQuotes = true;
        } else if (c == QLatin1Char('%') && next == QLatin1Char('%')) {
            current += c;
            ++i;
        } else {
            current += c;
        }
    }
    if (inQuotes)
        return {};
    if (inArgument)
        arguments << current;
    return arguments;
}

QString escapeValue(const QString &value)
{
    QString result;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            result += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            result += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            result += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            result += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            result += QLatin1String("\\s");
        else
            result += c;
    }
    return result;
}

QString unescapeValue(const QString &stored)
{
    QString result;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c != QLatin1Char('\\') || i + 1 == stored.size()) {
            result += c;
            continue;
        }
        const QChar next = stored.at(++i);
        switch (next.unicode()) {
        case 's':
            result += QLatin1Char(' ');
            break;
        case 'n':
            result += QLatin1Char('\n');
            break;
        case 't':
            result += QLatin1Char('\t');
            break;
        case 'r':
            result += QLatin1Char('\r');
            break;
        case '\\':
            result += QLatin1Char('\\');
            break;
        default: // not an escape the format knows: keep it as written
            result += c;
            result += next;
            break;
        }
    }
    return result;
}

} // namespace platform::xdg::desktopentry
