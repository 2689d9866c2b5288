// SPDX-License-Identifier: GPL-3.0-or-later
#include "traycontroller.h"

#include "applog.h"
#include "dialogs/aboutwindow.h"
#include "dialogs/settingsdialog.h"
#include "hotkeyreceiver.h"
#include "panel/characterpanel.h"
#include "panelfocus.h"
#include "platform/services.h"
#include "site.h"
#include "storedsettings.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
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
const QColor defaultBackgroundColor(229, 230, 230);
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

TrayController::TrayController(platform::Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    QApplication::setWindowIcon(QIcon(iconResource));
    QApplication::setQuitOnLastWindowClosed(false);

    m_settings = new QSettings(storedsettings::organization, storedsettings::application, this);
    m_hotkeyReceiver = std::make_unique<HotkeyReceiver>(*m_services.hotkeyHook);
    connect(m_hotkeyReceiver.get(), &HotkeyReceiver::keyPressed, this,
            &TrayController::onHotkeyPressed);

    createPanel();
    createTrayIcon();
    m_trayIcon->show();

    installHook();
    m_hotkeys = hotkeys::buildHotkeyList();
    selectInitialHotkey();
    if (!m_services.keyboard->isAvailable())
        qCWarning(lcApp).noquote()
            << "Clicks cannot type:" << QString::fromStdString(m_services.keyboard->errorString());
    showStartupBalloon(balloonWaitSteps);

    m_services.termination->start([this] { quitInOrder(); });
}

TrayController::~TrayController()
{
    m_services.hotkeyHook->remove();
    saveSettings();
    m_panelFocus.reset();
    m_panel.reset(); // takes the tray icon, its menu and the dialogs with it
}

void TrayController::createPanel()
{
    m_panel = std::make_unique<CharacterPanel>();
    m_panel->setCodePage(static_cast<int>(m_services.codePage->oemCodePage()));
    m_panel->setBackgroundColor(
        storedsettings::readBackgroundColor(*m_settings, defaultBackgroundColor));
    m_panel->setLabelSize(storedsettings::readLabelSize(*m_settings, m_panel->maxLabelSize()));
    m_panel->setLabelSpacing(storedsettings::readSpacing(*m_settings, m_panel->minSpacing()));
    m_panelFocus = std::make_unique<PanelFocus>(*m_panel, *m_services.windowActivation);
    connect(m_panel.get(), &CharacterPanel::characterActivated, this,
            &TrayController::onCharacterActivated);
    connect(m_panel.get(), &CharacterPanel::backspaceActivated, this,
            &TrayController::onBackspaceActivated);
}

void TrayController::createTrayIcon()
{
    m_trayIcon = new QSystemTrayIcon(QIcon(iconResource), m_panel.get());
    auto *menu = new QMenu(m_panel.get());
    m_showHideAction = menu->addAction(tr("Show/Hide Ondrel"), this, &TrayController::togglePanel);
    menu->addAction(tr("Settings"), this, &TrayController::openSettings);
    menu->addAction(tr("Help"), this, &TrayController::openHelp);
    menu->addAction(tr("About"), this, &TrayController::openAbout);
    // The event loop's end runs the destructor, which removes the hook before it
    // writes the settings.
    menu->addAction(tr("Quit"), qApp, &QCoreApplication::quit);
    m_trayIcon->setContextMenu(menu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &TrayController::onTrayActivated);
}

void TrayController::installHook()
{
    const auto outcome = m_services.hotkeyHook->install(m_hotkeyReceiver->winId());
    m_hookInstalled = outcome == platform::HotkeyHook::Outcome::Installed;
    if (!m_hookInstalled)
        qCWarning(lcApp).noquote() << "The show/hide key is off:"
                                   << QString::fromStdString(m_services.hotkeyHook->errorString());
}

void TrayController::selectInitialHotkey()
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

bool TrayController::setShowHideKey(const QString &name)
{
    const HotkeyEntry *entry = hotkeys::findByName(m_hotkeys, name);
    if (!entry)
        return false;
    selectHotkey(*entry);
    return true;
}

void TrayController::selectHotkey(const HotkeyEntry &entry)
{
    m_currentHotkey = &entry;
    m_trayIcon->setToolTip(trayText());
    if (m_hookInstalled)
        m_showHideAction->setShortcut(QKeySequence(entry.qtKey));
}

QString TrayController::trayText() const
{
    if (!m_hookInstalled)
        return QStringLiteral("Ondrel");
    return QStringLiteral("Ondrel (<%1>)").arg(m_currentHotkey->name);
}

void TrayController::showStartupBalloon(int waitStepsLeft)
{
    // Embedding in an XEmbed tray happens after the icon is shown, so the balloon
    // waits briefly for it; where the tray never answers it is shown all the same.
    if (waitStepsLeft > 0 && !isPlacedInTray(*m_trayIcon)) {
        QTimer::singleShot(balloonWaitStepMilliseconds, this,
                           [this, waitStepsLeft] { showStartupBalloon(waitStepsLeft - 1); });
        return;
    }
    if (!m_services.keyboard->isAvailable()) {
        m_trayIcon->showMessage(
            trayText(),
            tr("Clicks on the panel cannot type here: %1.")
                .arg(QString::fromStdString(m_services.keyboard->errorString())),
            QSystemTrayIcon::Warning, balloonMilliseconds);
        return;
    }
    m_trayIcon->showMessage(QString(), trayText(), QSystemTrayIcon::Information,
                            balloonMilliseconds);
}

void TrayController::togglePanel()
{
    if (m_panel->isVisible())
        hidePanel();
    else
        showPanel();
}

void TrayController::showPanel()
{
    // Only the first show places the panel; later ones keep where the user put it.
    if (!m_panelPlaced) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QSize desktop = screen ? screen->virtualGeometry().size() : QSize();
        placeFrame(*m_panel, QPoint((desktop.width() - m_panel->frameSize().width()) / 2,
                                    desktop.height() / 2));
        m_panelPlaced = true;
    }
    m_panel->show();
}

void TrayController::hidePanel()
{
    m_panel->hide();
}

void TrayController::showPanelIfHidden()
{
    // A change to a hidden panel would go unseen; show it where it was last.
    if (m_panel->isHidden())
        showPanel();
}

void TrayController::onHotkeyPressed(unsigned virtualKey)
{
    if (m_currentHotkey && static_cast<int>(virtualKey) == m_currentHotkey->virtualKey)
        togglePanel();
}

void TrayController::onTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        togglePanel();
}

void TrayController::onCharacterActivated(int code, char32_t character)
{
    if (!m_services.keyboard->typeCharacter(static_cast<unsigned>(m_panel->codePage()), code,
                                            character))
        qCWarning(lcApp).noquote()
            << "Cannot type:" << QString::fromStdString(m_services.keyboard->errorString());
}

void TrayController::onBackspaceActivated()
{
    if (!m_services.keyboard->typeBackspace())
        qCWarning(lcApp).noquote() << "Cannot type Backspace:"
                                   << QString::fromStdString(m_services.keyboard->errorString());
}

void TrayController::openSettings()
{
    // Made once and kept: a later request shows the same dialog with its state.
    if (!m_settingsDialog) {
        SettingsDialog::Values values;
        values.labelSize = m_panel->labelSize();
        values.minLabelSize = m_panel->minLabelSize();
        values.maxLabelSize = m_panel->maxLabelSize();
        values.spacing = m_panel->labelSpacing();
        values.minSpacing = m_panel->minSpacing();
        values.maxSpacing = m_panel->maxSpacing();
        values.backgroundColor = m_panel->backgroundColor();
        for (const HotkeyEntry &entry : m_hotkeys)
            values.keyNames << entry.name;
        values.currentKey = m_currentHotkey ? m_currentHotkey->name : QString();
        values.keyWorks = m_hookInstalled;
        values.autorun = m_services.autorun->isEnabled(executablePath());

        m_settingsDialog = new SettingsDialog(values, m_panel.get());
        connect(m_settingsDialog, &SettingsDialog::labelSizeChanged, this,
                &TrayController::onLabelSizeChanged);
        connect(m_settingsDialog, &SettingsDialog::spacingChanged, this,
                &TrayController::onSpacingChanged);
        connect(m_settingsDialog, &SettingsDialog::backgroundColorChanged, this,
                &TrayController::onBackgroundColorChanged);
        connect(m_settingsDialog, &SettingsDialog::showHideKeyChanged, this,
                &TrayController::setShowHideKey);
        connect(m_settingsDialog, &SettingsDialog::autorunToggled, this,
                &TrayController::onAutorunToggled);
    }
    bringForward(*m_settingsDialog);
}

void TrayController::onLabelSizeChanged(int size)
{
    m_panel->setLabelSize(size);
    showPanelIfHidden();
}

void TrayController::onSpacingChanged(int spacing)
{
    m_panel->setLabelSpacing(spacing);
    showPanelIfHidden();
}

void TrayController::onBackgroundColorChanged(const QColor &color)
{
    m_panel->setBackgroundColor(color);
    showPanelIfHidden();
}

void TrayController::onAutorunToggled(bool enabled)
{
    if (m_services.autorun->setEnabled(executablePath(), enabled))
        return;
    const QString reason = QString::fromStdString(m_services.autorun->errorString());
    qCWarning(lcApp).noquote() << "Starting with the desktop could not be"
                               << (enabled ? "switched on:" : "switched off:") << reason;
    m_settingsDialog->showAutorunFailure(m_services.autorun->isEnabled(executablePath()), reason);
}

void TrayController::openAbout()
{
    if (!m_aboutWindow)
        m_aboutWindow = new AboutWindow(site::address, m_panel.get());
    bringForward(*m_aboutWindow);
}

void TrayController::openHelp()
{
    const QUrl help(site::address + site::helpPath);
    if (!QDesktopServices::openUrl(help))
        qCWarning(lcApp) << "No browser could open" << help.toString();
}

void TrayController::saveSettings()
{
    storedsettings::writeBackgroundColor(*m_settings, m_panel->backgroundColor());
    storedsettings::writeSizes(*m_settings, m_panel->labelSize(), m_panel->labelSpacing());
    storedsettings::writeShowHideKeyName(*m_settings, m_currentHotkey->name);
}

void TrayController::quitInOrder()
{
    // The system may end the process soon after asking; the settings must already
    // be on disk by then, not only when the event loop has unwound.
    saveSettings();
    m_settings->sync();
    QCoreApplication::quit();
}
