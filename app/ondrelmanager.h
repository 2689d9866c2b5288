// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys.h"

#include <QColor>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>

class AboutWindow;
class OndrelWidget;
class QAction;
class QSettings;
class SettingsDialog;

namespace platform {
struct Services;
}

/// The never-shown owner of everything: the panel, the tray icon and its menu, the
/// stored settings and the link to the keyboard-hook library. Its native window
/// exists only to receive the hook library's messages.
class OndrelManager : public QWidget
{
    Q_OBJECT

public:
    explicit OndrelManager(platform::Services &services, QWidget *parent = nullptr);
    ~OndrelManager() override;

    void togglePanel();
    void showPanel();

    /// Selects the show/hide key by its exact name; false and no change if unknown.
    bool setShowHideKey(const QString &name);

    bool isAutorunEnabled() const;
    void setAutorunEnabled(bool enabled);

    OndrelWidget *panel() const { return m_panel.get(); }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    QAction *showHideAction() const { return m_showHideAction; }
    const HotkeyList &hotkeys() const { return m_hotkeys; }
    const HotkeyEntry *currentHotkey() const { return m_currentHotkey; }
    bool hookInstalled() const { return m_hookInstalled; }
    int labelSize() const { return m_labelSize; }
    int labelSpacing() const { return m_labelSpacing; }

protected:
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private slots:
    void slot_showHideOndrelWidget();
    void slot_OndrelWidgetSettings();
    void slot_about();
    void slot_help();
    void slot_systemTrayClicked(QSystemTrayIcon::ActivationReason reason);

private:
    void createPanel();
    void createTrayIcon();
    void installHook();
    void selectInitialHotkey();
    void selectHotkey(const HotkeyEntry &entry);
    QString trayText() const;
    void showStartupBalloon(int waitStepsLeft);
    void handleHotkeyMessage(unsigned virtualKey);
    void saveSettings();
    void quitInOrder();

    platform::Services &m_services;
    std::unique_ptr<OndrelWidget> m_panel;
    QSystemTrayIcon *m_trayIcon = nullptr;
    SettingsDialog *m_settingsDialog = nullptr;
    AboutWindow *m_aboutWindow = nullptr;
    int m_labelSize = 0;
    int m_labelSpacing = 0;
    QColor m_defaultBackgroundColor;
    int m_defaultLabelSize = 0;
    int m_defaultLabelSpacing = 0;
    QSettings *m_settings = nullptr;
    const HotkeyEntry *m_currentHotkey = nullptr;
    HotkeyList m_hotkeys;
    bool m_hookInstalled = false;
    QAction *m_showHideAction = nullptr;
    int m_panelShowCount = 0;
};
