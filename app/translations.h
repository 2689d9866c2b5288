// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTranslator>

/// Ondrel's texts, and Qt's own for the standard dialogs, in the user's language,
/// for as long as this object lives. Without a translation the texts stay English.
class Translations
{
public:
    Translations();
    ~Translations();
    Translations(const Translations &) = delete;
    Translations &operator=(const Translations &) = delete;

private:
    QTranslator m_ondrel;
    QTranslator m_qt;
};
