// SPDX-License-Identifier: GPL-3.0-or-later
#include "runkeyautorun.h"

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

void RunKeyAutorun::setEnabled(const std::string &executablePath, bool enabled)
{
    if (enabled)
        m_store.setValue(valueName, commandLine(QString::fromStdString(executablePath)));
    else
        m_store.remove(valueName);
    m_store.sync();
}

} // namespace platform
