// SPDX-License-Identifier: GPL-3.0-or-later
#include "ondrelmanager.h"

#include "dialogs/aboutwindow.h"
#include "dialogs/settingsdialog.h"
#include "panel/ondrelwidget.h"
#include "platform/services.h"
#include "site.h"
#include "storedsettings.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace {

const QString iconResource = QStringLiteral(":/ondrel_icon.png");
constexpr int balloonMilliseconds = 10000;
// How long the start-up balloon waits for the tray to give the icon its place.
constexpr int balloonWaitSteps = 30;
constexpr int balloonWaitStepMilliseconds = 100;

/// A tray icon that the tray host has not embedded yet sits at the desktop's origin,
/// and a balloon shown for it would point at that corner.
bool isPlacedInTray(const QSystemTrayIcon &icon)
{
    const QRect place = icon.geometry();
    return place.isValid() && !place.topLeft().isNull();
}

std::string executablePath()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdString();
}

/// Puts a window's frame, not its client area, at a point. The panel's native window
/// exists from the start, and Qt places such a window by its client area unless its
/// QWindow already holds the frame position when the widget is shown.
void placeFrame(QWidget &window, const QPoint &topLeft)
{
    window.move(topLeft);
    if (QWindow *handle = window.windowHandle()) {
        handle->resize(window.size());
        handle->setFramePosition(topLeft);
    }
}

void bringForward(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

OndrelManager::OndrelManager(platform::Services &services, QWidget *parent)
    : QWidget(parent), m_services(services)
{
    setWindowTitle(QStringLiteral("OndrelManager"));
    winId(); // the hook library needs a window to post to, although it is never shown
    QApplication::setWindowIcon(QIcon(iconResource));
    QApplication::setQuitOnLastWindowClosed(false);

    m_settings = new QSettings(storedsettings::organization, storedsettings::application, this);

    createPanel();
    createTrayIcon();
    m_trayIcon->show();

    installHook();
    m_hotkeys = hotkeys::buildHotkeyList();
    selectInitialHotkey();
    showStartupBalloon(balloonWaitSteps);

    m_services.termination->start([this] { quitInOrder(); });
}

OndrelManager::~OndrelManager()
{
    m_services.hotkeyHook->remove();
    saveSettings();
    m_panel.reset(); // takes the tray icon, its menu and the dialogs with it
}

void OndrelManager::createPanel()
{
    m_panel = std::make_unique<OndrelWidget>(m_services);
    m_defaultBackgroundColor.setRgb(229, 230, 230, 255);
    m_panel->setBackgroundColor(
        storedsettings::readBackgroundColor(*m_settings, m_defaultBackgroundColor));
    m_defaultLabelSize = m_panel->maxLabelSize();
    m_defaultLabelSpacing = m_panel->minSpacing();
    m_labelSize = storedsettings::readLabelSize(*m_settings, m_defaultLabelSize);
    m_labelSpacing = storedsettings::readSpacing(*m_settings, m_defaultLabelSpacing);
    m_panel->setLabelSize(m_labelSize);
    m_panel->setLabelSpacing(m_labelSpacing);
    m_panel->fitToGrid();
}

void OndrelManager::createTrayIcon()
{
    m_trayIcon = new QSystemTrayIcon(QIcon(iconResource), m_panel.get());
    auto *menu = new QMenu(m_panel.get());
    m_showHideAction = menu->addAction(QStringLiteral("Show/Hide Ondrel"), this,
                                       &OndrelManager::slot_showHideOndrelWidget);
    menu->addAction(QStringLiteral("Settings"), this, &OndrelManager::slot_OndrelWidgetSettings);
    menu->addAction(QStringLiteral("Help"), this, &OndrelManager::slot_help);
    menu->addAction(QStringLiteral("About"), this, &OndrelManager::slot_about);
    menu->addAction(QStringLiteral("Quit"), qApp, &QCoreApplication::quit);
    m_trayIcon->setContextMenu(menu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &OndrelManager::slot_systemTrayClicked);
}

void OndrelManager::installHook()
{
    m_hookInstalled =
        m_services.hotkeyHook->install(winId()) == platform::HotkeyHook::Outcome::Installed;
}

void OndrelManager::selectInitialHotkey()
{
    const QString storedName =
        storedsettings::readShowHideKeyName(*m_settings, hotkeys::defaultHotkeyName);
    // A name that matches no key can only come from an edited settings file; the
    // default keeps a current key for the tooltip, the hook messages and saving.
    const HotkeyEntry *entry = hotkeys::findByName(m_hotkeys, storedName);
    if (!entry)
        entry = hotkeys::findByName(m_hotkeys, hotkeys::defaultHotkeyName);
    selectHotkey(*entry);
}

bool OndrelManager::setShowHideKey(const QString &name)
{
    const HotkeyEntry *entry = hotkeys::findByName(m_hotkeys, name);
    if (!entry)
        return false;
    selectHotkey(*entry);
    return true;
}

void OndrelManager::selectHotkey(const HotkeyEntry &entry)
{
    m_currentHotkey = &entry;
    m_trayIcon->setToolTip(trayText());
    if (m_hookInstalled)
        m_showHideAction->setShortcut(QKeySequence(entry.qtKey));
}

QString OndrelManager::trayText() const
{
    if (!m_hookInstalled)
        return QStringLiteral("Ondrel");
    return QStringLiteral("Ondrel (<%1>)").arg(m_currentHotkey->name);
}

void OndrelManager::showStartupBalloon(int waitStepsLeft)
{
    // Embedding in an XEmbed tray happens after the icon is shown, so the balloon
    // waits briefly for it; where the tray never answers it is shown all the same.
    if (waitStepsLeft > 0 && !isPlacedInTray(*m_trayIcon)) {
        QTimer::singleShot(balloonWaitStepMilliseconds, this,
                           [this, waitStepsLeft] { showStartupBalloon(waitStepsLeft - 1); });
        return;
    }
    m_trayIcon->showMessage(QString(), trayText(), QSystemTrayIcon::Information,
                            balloonMilliseconds);
}

void OndrelManager::togglePanel()
{
    if (m_panel->isVisible()) {
        m_panel->disableNoActivate();
        m_panel->hide();
    } else {
        m_panel->enableNoActivate();
        showPanel();
    }
}

void OndrelManager::showPanel()
{
    // Only the first show places the panel; later ones keep where the user put it.
    if (m_panelShowCount == 0) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QSize desktop = screen ? screen->virtualGeometry().size() : QSize();
        placeFrame(*m_panel, QPoint((desktop.width() - m_panel->frameSize().width()) / 2,
                                    desktop.height() / 2));
    }
    m_panel->show();
    ++m_panelShowCount;
}

bool OndrelManager::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    unsigned virtualKey = 0;
    if (m_services.hotkeyHook->decodeHotkeyMessage(eventType.constData(), message, virtualKey)) {
        handleHotkeyMessage(virtualKey);
        if (m_services.hotkeyHook->keepsHotkeyMessage())
            return true;
    }
    return QWidget::nativeEvent(eventType, message, result);
}

void OndrelManager::handleHotkeyMessage(unsigned virtualKey)
{
    if (m_currentHotkey && static_cast<int>(virtualKey) == m_currentHotkey->virtualKey)
        togglePanel();
}

bool OndrelManager::isAutorunEnabled() const
{
    return m_services.autorun->isEnabled(executablePath());
}

void OndrelManager::setAutorunEnabled(bool enabled)
{
    m_services.autorun->setEnabled(executablePath(), enabled);
}

void OndrelManager::saveSettings()
{
    storedsettings::writeBackgroundColor(*m_settings, m_panel->backgroundColor());
    storedsettings::writeSizes(*m_settings, m_panel->labelSize(), m_panel->labelSpacing());
    storedsettings::writeShowHideKeyName(*m_settings, m_currentHotkey->name);
}

void OndrelManager::quitInOrder()
{
    // The system may end the process soon after asking; the settings must already
    // be on disk by then, not only when the event loop has unwound.
    saveSettings();
    m_settings->sync();
    QCoreApplication::quit();
}

void OndrelManager::slot_showHideOndrelWidget()
{
    togglePanel();
}

void OndrelManager::slot_OndrelWidgetSettings()
{
    // Made once and kept: a later request shows the same dialog with its state.
    if (!m_settingsDialog)
        m_settingsDialog =
            new SettingsDialog(this, m_panel.get(), m_labelSize, m_labelSpacing, m_panel.get());
    bringForward(*m_settingsDialog);
}

void OndrelManager::slot_about()
{
    if (!m_aboutWindow)
        m_aboutWindow = new AboutWindow(m_panel.get());
    bringForward(*m_aboutWindow);
}

void OndrelManager::slot_help()
{
    QDesktopServices::openUrl(QUrl(site::address + site::helpPath));
}

void OndrelManager::slot_systemTrayClicked(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        togglePanel();
}
