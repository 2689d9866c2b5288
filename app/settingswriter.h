// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QSettings;

/// Writes the settings shortly after the last change, and at once when asked, so
/// that a process that dies without its orderly exit loses nothing. QSettings
/// writes the whole file to a temporary one and renames it, so a write that fails
/// leaves the old file as it was.
class SettingsWriter : public QObject
{
    Q_OBJECT

public:
    /// fill puts the current values into the store before each write.
    SettingsWriter(QSettings &store, std::function<void(QSettings &)> fill,
                   QObject *parent = nullptr);

    /// Writes once the changes have stopped for a moment: a slider being dragged
    /// makes one write, not one per step.
    void scheduleSave();
    bool isSavePending() const { return m_timer.isActive(); }

    /// Writes now; false when the file could not be written.
    bool saveNow();

signals:
    void saveFailed(const QString &reason);

private:
    QString failureReason() const;

    QSettings &m_store;
    std::function<void(QSettings &)> m_fill;
    QTimer m_timer;
};
