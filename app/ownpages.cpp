// SPDX-License-Identifier: GPL-3.0-or-later
#include "ownpages.h"

#include "applog.h"
#include "storedsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

namespace ownpages {

namespace {

QString codePointName(char32_t character)
{
    return QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0')).toUpper();
}

Reading failure(const QString &reason)
{
    return {{}, reason};
}

} // namespace

Reading read(const QString &fileName, const QByteArray &contents)
{
    if (contents.size() > maxFileBytes)
        return failure(QStringLiteral("the file is longer than %1 bytes").arg(maxFileBytes));
    if (contents.trimmed().isEmpty())
        return failure(QStringLiteral("the file is empty"));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(contents);
    if (decoder.hasError())
        return failure(QStringLiteral("the file is not valid UTF-8"));
    // Notepad begins its UTF-8 files with a byte order mark.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    const qsizetype firstBreak = text.indexOf(QLatin1Char('\n'));
    Page page;
    page.fileName = fileName;
    page.name = text.left(firstBreak).trimmed();
    if (page.name.isEmpty())
        return failure(QStringLiteral("its first line, the page's name, is empty"));
    if (page.name.size() > maxNameLength)
        return failure(
            QStringLiteral("the page's name is longer than %1 characters").arg(maxNameLength));
    if (firstBreak < 0)
        return failure(QStringLiteral("it has no characters after the page's name"));

    int line = 2;
    for (const char32_t character : text.mid(firstBreak + 1).toUcs4()) {
        if (character == U'\n') {
            ++line;
            continue;
        }
        if (character == U'\r')
            continue;
        // Tabs and other control characters would be invisible cells that type
        // something unexpected.
        if (character < 0x20 || (character >= 0x7F && character < 0xA0) || character == 0xFEFF)
            return failure(QStringLiteral("line %1 holds the control character %2")
                               .arg(line)
                               .arg(codePointName(character)));
        page.characters.push_back(character);
    }
    if (page.characters.empty())
        return failure(QStringLiteral("it has no characters after the page's name"));
    if (page.characters.size() > std::size_t(maxCharacters))
        return failure(QStringLiteral("it has %1 characters, more than the %2 the panel holds")
                           .arg(page.characters.size())
                           .arg(maxCharacters));
    return {page, {}};
}

bool isPageFileName(const QString &fileName)
{
    // A name from the settings file must not lead out of the folder.
    return fileName.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) &&
           !fileName.startsWith(QLatin1Char('.')) && !fileName.contains(QLatin1Char('/')) &&
           !fileName.contains(QLatin1Char('\\'));
}

QString folder()
{
    // The INI file's place is the settings folder on every system, also where the
    // settings themselves are kept in the registry.
    const QSettings ini(QSettings::IniFormat, QSettings::UserScope, storedsettings::organization,
                        storedsettings::application);
    return QFileInfo(ini.fileName()).absolutePath() + QStringLiteral("/pages");
}

std::vector<Page> readFolder(const QString &folder)
{
    std::vector<Page> pages;
    const QDir dir(folder);
    const QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : files) {
        if (!isPageFileName(info.fileName()))
            continue;
        QFile file(info.filePath());
        Reading reading;
        if (!file.open(QIODevice::ReadOnly))
            reading.error = QStringLiteral("it cannot be read: ") + file.errorString();
        else
            reading = read(info.fileName(), file.read(maxFileBytes + 1));
        if (!reading.error.isEmpty()) {
            qCWarning(lcApp).noquote()
                << "Skipped the page file" << QDir::toNativeSeparators(info.filePath()) << "because"
                << reading.error;
            continue;
        }
        pages.push_back(reading.page);
    }
    return pages;
}

} // namespace ownpages
