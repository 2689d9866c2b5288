// SPDX-License-Identifier: GPL-3.0-or-later
#include "translations.h"

#include "applog.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

Translations::Translations()
{
    const QLocale locale;
    // Compiled in, so they are found wherever the program was installed.
    if (m_ondrel.load(locale, QStringLiteral("ondrel"), QStringLiteral("_"),
                      QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&m_ondrel);
    if (m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qt);
    else if (!m_ondrel.isEmpty())
        qCInfo(lcApp) << "Qt's own dialogs stay in English: no Qt translation for" << locale.name();
}

Translations::~Translations()
{
    QCoreApplication::removeTranslator(&m_qt);
    QCoreApplication::removeTranslator(&m_ondrel);
}
