// SPDX-License-Identifier: GPL-3.0-or-later
#include "xdgautostart.h"

#include "desktopentry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform::xdg {

namespace {

const QString entryFileName = QStringLiteral("Ondrel.desktop");
const QString mainGroup = QStringLiteral("[Desktop Entry]");

QString configHome()
{
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    const QString fromEnvironment = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment))
        return fromEnvironment;
    return QDir::homePath() + QLatin1String("/.config");
}

/// The raw (still escaped) values of the main group's keys that matter here.
struct EntryKeys
{
    QString exec;
    bool hasExec = false;
    bool hidden = false;
};

EntryKeys readMainGroup(const QString &text)
{
    EntryKeys keys;
    bool inMainGroup = false;
    for (const QString &rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == mainGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Exec")) {
            keys.exec = value;
            keys.hasExec = true;
        } else if (key == QLatin1String("Hidden")) {
            keys.hidden = value == QLatin1String("true");
        }
    }
    return keys;
}

} // namespace

QString XdgAutostart::entryPath()
{
    return configHome() + QLatin1String("/autostart/") + entryFileName;
}

QByteArray XdgAutostart::entryText(const QString &executablePath)
{
    const QString exec = desktopentry::escapeValue(desktopentry::quoteArgument(executablePath));
    const QString text = mainGroup + QLatin1Char('\n') +
                         QLatin1String("Type=Application\n"
                                       "Name=Ondrel\n"
                                       "Comment=Type characters that have no key on your keyboard\n"
                                       "Exec=") +
                         exec + QLatin1Char('\n') +
                         QLatin1String("Icon=ondrel\n"
                                       "Terminal=false\n"
                                       "X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool XdgAutostart::isEnabled(const std::string &executablePath) const
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const EntryKeys keys = readMainGroup(QString::fromUtf8(file.readAll()));
    if (!keys.hasExec || keys.hidden)
        return false;
    const QStringList arguments =
        desktopentry::splitCommandLine(desktopentry::unescapeValue(keys.exec));
    return !arguments.isEmpty() && arguments.first() == QString::fromStdString(executablePath);
}

bool XdgAutostart::fail(const QString &reason)
{
    m_errorString = reason.toStdString();
    return false;
}

bool XdgAutostart::setEnabled(const std::string &executablePath, bool enabled)
{
    m_errorString.clear();
    const QString path = entryPath();
    if (!enabled) {
        QFile file(path);
        if (file.exists() && !file.remove())
            return fail(QCoreApplication::translate("XdgAutostart", "Cannot remove %1: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
        return true;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QCoreApplication::translate("XdgAutostart", "Cannot create the folder %1")
                        .arg(QDir::toNativeSeparators(folder)));
    // Written to a temporary file and renamed, so that a session starting meanwhile
    // never reads half an entry.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(entryText(QString::fromStdString(executablePath))) < 0 || !file.commit())
        return fail(QCoreApplication::translate("XdgAutostart", "Cannot write %1: %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    return true;
}

} // namespace platform::xdg
