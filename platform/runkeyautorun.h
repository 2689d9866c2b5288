// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "autorun.h"

#include <QString>

#include <memory>

class QSettings;

namespace platform {

/// Starting with Windows through the value "Ondrel" under the per-user Run key.
///
/// Windows runs the value as a command line, so a path with a blank is written in
/// double quotes: unquoted, "C:\Program Files\..." would first look for
/// "C:\Program.exe", which anyone able to write to C:\ could plant. Both forms are
/// accepted when reading, as older versions wrote the path bare. The comparison is
/// otherwise exact, so a value that names another copy shows as off.
///
/// Built on QSettings so that it runs against any store; Windows hands it the Run key.
class RunKeyAutorun : public Autorun
{
public:
    /// Uses a store that the caller keeps alive for as long as this object.
    explicit RunKeyAutorun(QSettings &store);
    /// Takes the store over.
    explicit RunKeyAutorun(std::unique_ptr<QSettings> store);
    ~RunKeyAutorun() override;

    bool isEnabled(const std::string &executablePath) const override;
    bool setEnabled(const std::string &executablePath, bool enabled) override;
    std::string errorString() const override { return m_errorString; }

    /// The name of the value under the Run key.
    static const QString valueName;

    /// The command line stored for an executable: quoted when it holds a blank.
    static QString commandLine(const QString &executablePath);

private:
    std::unique_ptr<QSettings> m_ownedStore;
    QSettings &m_store;
    std::string m_errorString;
};

} // namespace platform
