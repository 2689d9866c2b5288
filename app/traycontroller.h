// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys.h"
#include "instancemessage.h"
#include "ownpages.h"

#include <QColor>
#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

class AboutWindow;
class CharacterPanel;
class FramedPanel;
class QAction;
class QFileSystemWatcher;
class QTimer;
class QSettings;
class SettingsDialog;
class SettingsWriter;

namespace platform {
struct Services;
}

/// Owns the tray icon, the panel and the dialogs, and connects what the user does
/// in them to the system's services: typing, the show/hide key, starting with the
/// desktop, and the settings kept between runs.
class TrayController : public QObject
{
    Q_OBJECT

public:
    explicit TrayController(platform::Services &services, QObject *parent = nullptr);
    ~TrayController() override;

    /// Selects the show/hide key by its exact name; false and no change if unknown.
    bool setShowHideKey(const QString &name);

public slots:
    /// Does what the command line or a later start asks for.
    void carryOut(const instancemessage::Message &message);
    /// Types the characters into the focused application as clicks on them would:
    /// on the system's own code page by their Alt codes where the system types
    /// those, every other as itself.
    void typeText(const std::u32string &text);
    void togglePanel();
    void showPanel();
    void hidePanel();
    void openSettings();
    void openAbout();
    void openHelp();
    /// The orderly exit: saves at once, then ends the event loop.
    void quitInOrder();

private slots:
    void onTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void onCharacterActivated(int code, char32_t character);
    void onBackspaceActivated();
    void onLabelSizeChanged(int size);
    void onSpacingChanged(int spacing);
    void onBackgroundColorChanged(const QColor &color);
    void onAutorunToggled(bool enabled);
    void onPageChanged(const QString &page);
    void openPagesFolder();
    void rereadOwnPages();
    void onShowHideKeyChosen(const QString &name);
    void onSaveFailed(const QString &reason);
    void onDragStarted(QPoint position);
    void onDragged(QPoint position);

private:
    void createPanel();
    void createTrayIcon();
    void startShowHideKey();
    void selectInitialHotkey();
    void selectHotkey(const HotkeyEntry &entry);
    QString trayText() const;
    void showStartupBalloon(int waitStepsLeft);
    void showPanelIfHidden();
    QWidget *dialogParent() const;
    void applyPage();
    void watchPagesFolder();
    bool typeCharacter(char32_t character);
    void writeSettings(QSettings &settings) const;

    platform::Services &m_services;
    QSettings *m_settings = nullptr;
    SettingsWriter *m_settingsWriter = nullptr;
    bool m_saveFailureShown = false;
    std::unique_ptr<QWidget> m_window;
    CharacterPanel *m_panel = nullptr;
    FramedPanel *m_framedPanel = nullptr;
    QPoint m_dragOrigin;
    QPoint m_dragPress;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QAction *m_showHideAction = nullptr;
    SettingsDialog *m_settingsDialog = nullptr;
    AboutWindow *m_aboutWindow = nullptr;
    HotkeyList m_hotkeys;
    const HotkeyEntry *m_currentHotkey = nullptr;
    bool m_showHideKeyWorks = false;
    bool m_panelPlaced = false;
    QString m_page; // as the settings store it; "0": the system's code page
    std::vector<ownpages::Page> m_ownPages;
    QFileSystemWatcher *m_pagesWatcher = nullptr;
    QTimer *m_pagesChangeTimer = nullptr;
};
