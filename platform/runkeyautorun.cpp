// SPDX-License-Identifier: GPL-3.0-or-later
#include "runkeyautorun.h"

#include <QCoreApplication>
#include <QSettings>

namespace platform {

const QString RunKeyAutorun::valueName = QStringLiteral("Ondrel");

RunKeyAutorun::RunKeyAutorun(QSettings &store) : m_store(store) {}

RunKeyAutorun::RunKeyAutorun(std::unique_ptr<QSettings> store)
    : m_ownedStore(std::move(store)), m_store(*m_ownedStore)
{}

RunKeyAutorun::~RunKeyAutorun() = default;

QString RunKeyAutorun::commandLine(const QString &executablePath)
{
    if (executablePath.contains(QLatin1Char(' ')))
        return QLatin1Char('"') + executablePath + QLatin1Char('"');
    return executablePath;
}

bool RunKeyAutorun::isEnabled(const std::string &executablePath) const
{
    if (!m_store.contains(valueName))
        return false;
    const QString stored = m_store.value(valueName).toString();
    const QString path = QString::fromStdString(executablePath);
    return stored == path || stored == QLatin1Char('"') + path + QLatin1Char('"');
}

bool RunKeyAutorun::setEnabled(const std::string &executablePath, bool enabled)
{
    m_errorString.clear();
    if (enabled)
        m_store.setValue(valueName, commandLine(QString::fromStdString(executablePath)));
    else
        m_store.remove(valueName);
    m_store.sync();
    if (m_store.status() == QSettings::NoError)
        return true;
    m_errorString = QCoreApplication::translate("RunKeyAutorun", "Cannot write to %1")
                        .arg(m_store.fileName())
                        .toStdString();
    return false;
}

} // namespace platform
