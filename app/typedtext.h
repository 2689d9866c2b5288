// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

/// The text that `ondrel --type` is to type: the characters themselves, or code
/// points written U+2554 and separated by blanks. A text is taken whole or not at
/// all, so that nothing half-read is ever typed.
class TypedText
{
    Q_DECLARE_TR_FUNCTIONS(TypedText)

public:
    /// More would be no key binding's text but a paste, and would tie up the
    /// running Ondrel while it types.
    static constexpr int maxCharacters = 256;

    /// Reads the text as the user wrote it. A text whose first word starts with
    /// "U+" is read as code points, every word of it; any other is read as the
    /// characters themselves.
    static TypedText fromArgument(const QString &argument);
    /// Reads code points only, as the running Ondrel receives them.
    static TypedText fromCodePoints(const QString &words);
    /// Checks characters that are already decoded.
    static TypedText fromCharacters(const std::u32string &characters);

    bool isValid() const { return m_error.isEmpty(); }
    /// What is wrong with the text, for the user; empty when it is valid.
    QString errorString() const { return m_error; }
    const std::u32string &characters() const { return m_characters; }

    /// The characters as U+ words, which fromCodePoints reads back.
    QString codePoints() const;

private:
    /// Takes the text whole or not at all.
    TypedText &check();
    QString problem() const;

    std::u32string m_characters;
    QString m_error;
};
