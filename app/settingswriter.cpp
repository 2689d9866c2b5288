// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingswriter.h"

#include "applog.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

constexpr int quietMilliseconds = 500;

} // namespace

SettingsWriter::SettingsWriter(QSettings &store, std::function<void(QSettings &)> fill,
                               QObject *parent)
    : QObject(parent), m_store(store), m_fill(std::move(fill))
{
    // Never a half-written file, even if that means no file at all this time.
    m_store.setAtomicSyncRequired(true);
    m_timer.setSingleShot(true);
    m_timer.setInterval(quietMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &SettingsWriter::saveNow);
}

void SettingsWriter::scheduleSave()
{
    m_timer.start();
}

bool SettingsWriter::saveNow()
{
    m_timer.stop();
    m_fill(m_store);
    m_store.sync();
    // A FormatError only says that the file read at start was damaged; it is
    // written anew all the same.
    if (m_store.status() != QSettings::AccessError)
        return true;
    const QString reason = failureReason();
    qCWarning(lcApp).noquote() << "Cannot save the settings to"
                               << QDir::toNativeSeparators(m_store.fileName()) + ':' << reason;
    emit saveFailed(reason);
    return false;
}

QString SettingsWriter::failureReason() const
{
    const QFileInfo file(m_store.fileName());
    const QFileInfo folder(file.path());
    if (!folder.exists())
        return tr("the folder %1 cannot be created")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    if (!folder.isWritable())
        return tr("the folder %1 is read-only").arg(QDir::toNativeSeparators(folder.filePath()));
    if (file.exists() && !file.isWritable())
        return tr("%1 is read-only").arg(QDir::toNativeSeparators(file.filePath()));
    return tr("%1 could not be written; the disk may be full")
        .arg(QDir::toNativeSeparators(file.filePath()));
}
